#pragma once

#include <cstdint>
#include <string>

#include "core/disc/DiscToc.h"

namespace korvida {

// The key of a disc in the local disc database: the digit sums of the track lengths in
// seconds (mod 255) in the top byte, the playing time in seconds, the track count in the
// low byte. Not the freedb disc id: it sums lengths, not start times.
std::uint32_t LocalDiscKey(const DiscToc& toc);

// The database file of a key: the app home + "db/%x.db".
std::string DiscDatabasePath(std::uint32_t key);

}  // namespace korvida
