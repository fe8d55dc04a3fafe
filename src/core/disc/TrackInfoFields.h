#pragma once

#include <string>

#include "core/disc/TrackInfo.h"

namespace korvida {

// Sets a TrackInfo field by its record name ("Title", "OrigArtist", "Genre", …, matched
// without regard to case). False with *errorText for an unknown name or a Genre that is
// not a number.
bool SetTrackInfoField(TrackInfo& info, const std::string& name, const std::string& value,
                       std::string* errorText);

}  // namespace korvida
