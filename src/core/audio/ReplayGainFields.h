#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/audio/LoudnessMeter.h"

namespace korvida {

// A tag's key and text.
using TagField = std::pair<std::string, std::string>;
using TagFields = std::vector<TagField>;

// REPLAYGAIN_TRACK_GAIN "-6.02 dB", REPLAYGAIN_TRACK_PEAK "0.912345", then the ALBUM pair
// when there are album values: the texts players and taggers read.
TagFields ReplayGainFields(const ReplayGain& track, const std::optional<ReplayGain>& album);

// Opus's own convention: R128_TRACK_GAIN, and R128_ALBUM_GAIN when there are album
// values, as Q7.8 integers (1/256 dB, "-1234") towards Opus's -23 LUFS reference; no
// peaks.
TagFields R128Fields(const ReplayGain& track, const std::optional<ReplayGain>& album);

// Vorbis comments ("KEY=value") with every comment of a key in `fields` (compared without
// regard to case, as keys are) replaced by the fields' values, which come last.
void ReplaceComments(std::vector<std::string>& comments, const TagFields& fields);

}  // namespace korvida
