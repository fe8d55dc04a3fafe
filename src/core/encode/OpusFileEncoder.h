#pragma once

namespace korvida {

struct EncodeTask;
struct JobContext;

// The Opus bit rate in bit/s for the Bitrate setting (kbit/s): 6 to 510 as they are,
// any other value counts as 160.
int OpusBitRate(int kbits);

// Encodes the task's WAV, a 44100 Hz 16-bit stereo file, to Ogg Opus at its output path:
// the [Opus] Bitrate of the context's settings, TaskComments from the Ogg Vorbis
// switches and the task's cover art as a front-cover picture. The encoder resamples to
// Opus's 48 kHz itself and records the input rate and the pre-skip, so a decoder gives
// back the track's length. Other WAV formats are refused. Fills the item's outputPath and
// outputFolder and turns its startTick into elapsed milliseconds.
//
// Returns 1 when the file was encoded or the user cancelled (then context.aborted is set),
// 0 after an error, which it has logged. The output appears under its name only when it
// is finished; a cancel or an error leaves none, and an input to delete is deleted
// whichever way the encode ends. WM_ENCODE_STATUS (4) and WM_ENCODE_PROGRESS go to
// context.progressWindow. Runs on the job's worker thread.
int EncodeWavToOpus(JobContext& context, EncodeTask& task);

}  // namespace korvida
