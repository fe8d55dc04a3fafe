#pragma once

namespace korvida {

struct EncodeTask;
struct JobContext;

// The FLAC compression level for the Level setting: 0 to 8 as they are, any other value
// counts as 5.
unsigned FlacLevel(int level);

// Encodes the task's WAV, a 44100 Hz 16-bit stereo file, to FLAC at its output path: the
// [FLAC] Level of the context's settings, verified (every frame is decoded again, on a
// thread of its own, and compared with the samples; a mismatch fails the file), TaskComments from
// the Ogg Vorbis switches, the task's cover art as a front-cover PICTURE block (JPEG or PNG), a
// seek table and padding, so that tags added later need not move the audio. Other WAV formats are
// refused. Fills the item's outputPath and outputFolder and turns its startTick into elapsed
// milliseconds.
//
// Returns 1 when the file was encoded or the user cancelled (then context.aborted is set),
// 0 after an error, which it has logged. The output appears under its name only when it
// is finished; a cancel or an error leaves none, and an input to delete is deleted
// whichever way the encode ends. WM_ENCODE_STATUS (3) and WM_ENCODE_PROGRESS go to
// context.progressWindow. Runs on the job's worker thread.
int EncodeWavToFlac(JobContext& context, EncodeTask& task);

}  // namespace korvida
