#pragma once

#include "core/encode/WriteReplayGainTags.h"

namespace korvida {

class EncodeFiles;
struct EncodeTask;
struct JobContext;
struct WavFormat;

// An encoder stage's part of ReplayGain, nothing when the task has no meter. First the
// meter is started for the WAV's format (false, logged, when it cannot be); the stage
// then hands it every frame it encodes.
bool StartTrackMeter(const JobContext& context, EncodeTask& task, const WavFormat& wav);

// Once the stage has closed its file, unless the user cancelled: the track's values go
// into the file as it lies under its temporary name. False, logged, when they cannot;
// a file without values because its loudness is undefined (silence) is no failure.
bool TagTrackReplayGain(const JobContext& context, EncodeTask& task, const EncodeFiles& files,
                        TagFormat format);

}  // namespace korvida
