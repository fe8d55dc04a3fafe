#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvida {

class BinaryFile;
struct JobContext;
struct Settings;

// The decode driver streams the MP3 through a buffer of this size, refilling it when
// fewer than kDecodeRefillBelow unread bytes are left (more than the longest Layer III
// frame, 1441 bytes, so a whole frame is always at hand until the end of the file).
constexpr std::size_t kDecodeInputBytes = 60000;
constexpr std::size_t kDecodeRefillBelow = 2500;
// PCM is collected and written out once more than kDecodePcmWriteAbove bytes are held;
// the rest of the buffer is room for one more frame.
constexpr std::size_t kDecodePcmBytes = 60000;
constexpr std::size_t kDecodePcmWriteAbove = 55000;
constexpr unsigned kDecodeProgressFrames = 30;

// Most sample bytes a WAV file can describe: its RIFF size, data + 36, is 32 bits.
constexpr std::uint32_t kWavMaxDataBytes = 0xFFFFFFFFu - 36;

// What a decode takes from the settings, read once when the job starts.
struct DecodeOptions {
    bool normalize = false;   // Normalize
    int normalizeRatio = 95;  // NormalizeRatio, per cent of full scale
    // Decoding stops here rather than write a header whose sizes have wrapped. Lower
    // only in tests.
    std::uint32_t maxDataBytes = kWavMaxDataBytes;
};
DecodeOptions DecodeOptionsFrom(const Settings& settings);

// Where decoding should start, looking from `from` on: the first byte pair that may be a
// frame sync (0xFF, then 0xE0 or more), stepping over frames that carry a "Xing" VBR
// header, which hold statistics rather than audio. `from` when nothing is found.
std::uint64_t SkipVbrInfoFrames(BinaryFile& file, std::uint64_t from);

// Decodes the MPEG-1/2 Layer III file `source` into a 16-bit PCM WAV file at `output`,
// then normalises it when the options say so. Lines go to the job log (context.mainWindow),
// WM_DECODE_STATUS, WM_ITEM_STATUS and WM_ENCODE_PROGRESS to context.progressWindow.
//
// Returns 1 when a WAV file was produced, also when decoding stopped early at damaged or
// unreadable input (the file then holds what was decoded before it). Returns 0 when
// nothing usable was produced and when the user cancelled (context.aborted is then set);
// each case has its log line. The WAV's RIFF and data sizes always match what it holds,
// also after a cancel or an error in the middle.
int DecodeMp3ToWav(const std::string& source, const std::string& output, JobContext& context,
                   const DecodeOptions& options);

}  // namespace korvida
