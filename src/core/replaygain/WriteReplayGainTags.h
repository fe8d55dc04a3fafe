#pragma once

#include <optional>
#include <string>

#include "core/replaygain/LoudnessMeter.h"

namespace korvida {

// Puts the track values, and the album values when given, into the tags of the finished
// file at `path`, chosen by its extension: ID3v2 TXXX frames in .mp3, REPLAYGAIN_*
// comments in .ogg (either case). Values already there are replaced. The file is rewritten beside
// itself and renamed into place: it is the old or the new one, never half of each.
// False, with *errorText set, for a failure or a format without ReplayGain tags.
bool WriteReplayGainTags(const std::string& path, const ReplayGain& track,
                         const std::optional<ReplayGain>& album, std::string* errorText);

}  // namespace korvida
