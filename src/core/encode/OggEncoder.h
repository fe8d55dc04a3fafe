#pragma once

namespace korvida {

struct EncodeTask;
struct JobContext;

// The Vorbis quality for the Quality setting (1 to 100 → 0.01 to 1.0); any other value
// counts as 60.
float OggQuality(int quality);

// Encodes the task's WAV, a 44100 Hz 16-bit stereo file, to Ogg Vorbis at its output path
// with VorbisComments (the Ogg Vorbis section of the context's settings) and the task's
// cover, when it is a JPEG or PNG, as METADATA_BLOCK_PICTURE. Other WAV formats are
// refused. Fills the item's outputPath and outputFolder and turns its startTick into
// elapsed milliseconds.
//
// Returns 1 when the file was encoded or the user cancelled (then context.aborted is set),
// 0 after an error, which it has logged (every library call that can fail is checked).
// The output appears under its name only when it is finished; a cancel or an error
// leaves none, and an input to delete is deleted whichever way the encode ends. Log lines
// go to context.mainWindow; WM_ENCODE_STATUS (1) and WM_ENCODE_PROGRESS are posted to
// context.progressWindow. Runs on the job's worker thread.
int EncodeWavToOgg(JobContext& context, EncodeTask& task);

}  // namespace korvida
