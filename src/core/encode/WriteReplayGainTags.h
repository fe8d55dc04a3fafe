#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/audio/LoudnessMeter.h"

namespace korvida {

// Where a file keeps its ReplayGain values: ID3v2 TXXX frames (MP3), REPLAYGAIN_*
// comments (Ogg Vorbis, FLAC's comment block), R128_* comments (Opus).
enum class TagFormat { kId3v2, kOggVorbis, kFlac, kOggOpus };

// The format of a finished file by its extension, in either case; none for a format
// without ReplayGain tags (WAV).
std::optional<TagFormat> TagFormatOf(std::string_view path);

// Puts the track values, and the album values when given, into the tags of the closed
// file at `path`; values already there are replaced, everything else stays. A finished
// file is rewritten beside itself and renamed into place, so it is the old or the new
// one, never half of each. With `inPlace` the file is an encoder's own, not yet under its
// name, and may be changed where it lies. False, with *errorText set, on failure.
bool WriteReplayGainTags(const std::string& path, TagFormat format, const ReplayGain& track,
                         const std::optional<ReplayGain>& album, bool inPlace,
                         std::string* errorText);

}  // namespace korvida
