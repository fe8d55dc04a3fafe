#pragma once

#include <cstdint>

#include "core/disc/DiscInfo.h"
#include "core/rip/OffsetReader.h"

namespace korvida {

struct RipJob;
struct Settings;

// The frames left of a track when `leadingFrames` are cut from its start and
// `trailingFrames` from its end. At least 75 frames (one second) stay, taken from the end
// when the leading cut is too long; a track of 75 frames or fewer is kept whole, so
// trimming never reaches outside the track. Negative counts cut nothing.
TrackRange TrimSilence(TrackRange track, int leadingFrames, int trailingFrames);

// The warm-up read before a track whose first read is at `firstFrame`: `bufferFrames`
// frames ending there, moved forward where they would begin before the audio `area` (the
// disc's start, a data track), and cut where they would run past its end (a data track,
// the lead-out). Empty when the area holds no frame from firstFrame on.
TrackRange WarmUpRead(std::uint32_t firstFrame, std::uint32_t bufferFrames, ReadableArea area);

// The frames of job.current as a 44100 Hz 16-bit stereo WAV file: named in the output
// folder when job.keepWav is set (outputPath and outputFolder are filled), else a "PW"
// temporary file in TEMPDIRECTORY (job.tempWavPath). Trims silence and normalises as the
// settings ask. Reads through job.driver in chunks of BufferSize frames, testing the
// cancel event before each; a chunk that cannot be read is left out when BoolSkipError
// is on. The reads are shifted by ReadOffset samples (zeros where that reaches outside the
// disc's audio, counted in the item's verification). With TestAndCopy each track is read
// once without writing, then into the file, then again into the file until a read's CRC32
// matches an earlier one (at most RetryTimes re-reads); reads that never agree leave the
// last one in the file and the item marked suspicious. Every step goes to the job log
// (job.context.mainWindow), progress to job.context.progressWindow. No read leaves the
// audio around the track as the disc's TOC has it. Returns 1 when the
// WAV is complete or the user cancelled it (job.context.aborted is then set; a cancelled
// temporary file is deleted, a kept WAV stays well-formed), 0 on a failure, which has been
// logged; nothing is then left behind, neither a temporary file nor a partial WAV under the
// output name. A kept WAV appears under its name only when it is finished (written beside
// it first), so an earlier file of that name survives a failure.
int Extract(RipJob& job, const Settings& settings);

}  // namespace korvida
