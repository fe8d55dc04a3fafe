#pragma once

#include <string>

#include "core/disc/CoverArtStore.h"

namespace korvida {

// Writes the album's cover into the folder of `firstOutputPath` (the album's output
// folder) as "cover.jpg", or "cover.png" for a PNG picture, whole or not at all. Nothing
// is written, and true comes back, without a cover. False, with *errorText naming the
// file and the cause, when the write failed.
bool WriteAlbumCoverFile(const CoverImage& cover, const std::string& firstOutputPath,
                         std::string* errorText = nullptr);

}  // namespace korvida
