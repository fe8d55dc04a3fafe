#pragma once

#include <array>
#include <cstdint>

#include "lame_enc/BladeEncInterface.h"

namespace korvida {

struct EncodeTask;
struct EncoderEntryPoints;
struct JobContext;
struct Settings;
struct WavFormat;

// kbit/s of the BitRate and MaxBitRate indexes.
constexpr std::array<std::uint32_t, 14> kMp3BitRates = {32,  40,  48,  56,  64,  80,  96,
                                                        112, 128, 160, 192, 224, 256, 320};

using LameConfigRecord = std::array<std::uint8_t, lame_enc::kConfigSize>;

// The encoder's configuration record for one file: the MP3 settings and the WAV's own
// sample rate; mono when the WAV has one channel, else StereoMode's channel mode. The
// VBR header is asked for only when both EnableVBR and WriteVBRHeader are set.
LameConfigRecord BuildLameConfig(const Settings& settings, const WavFormat& wav);

// Encodes the task's WAV to MP3 at its output path with ID3 tags (EnableID3, EnableID3V2
// of the context's settings), through `encoder` (an unbound one fails at the stream's
// initialisation). Fills the item's outputPath and outputFolder and turns its startTick
// into elapsed milliseconds.
//
// Returns 1 when the file was encoded or the user cancelled (then context.aborted is set),
// 0 after an error, which it has logged (every library call that can fail is checked).
// The output appears under its name only when it is finished; a cancel or an error
// leaves none, and an input to delete is deleted whichever way the encode ends. Log lines
// go to context.mainWindow (WM_JOB_LOG); WM_ENCODE_STATUS (0) and WM_ENCODE_PROGRESS are
// posted to context.progressWindow. Runs on the job's worker thread.
int EncodeWavToMp3(JobContext& context, EncodeTask& task, const EncoderEntryPoints& encoder);
// Through the process-wide encoder binding.
int EncodeWavToMp3(JobContext& context, EncodeTask& task);

}  // namespace korvida
