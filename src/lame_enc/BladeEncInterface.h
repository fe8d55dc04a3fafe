#pragma once

// The contract between the program and the encoder module liblame_enc.so: the six entry
// points with the BladeEnc calling interface (and one of our own, optional) and the 331-byte LAME
// extended configuration record. Both sides include this header; neither includes the other's code.
//
// The record is read and written byte by byte at fixed offsets (little-endian, packed),
// never through a C struct, so its layout cannot drift with a compiler's padding rules.

#include <cstddef>
#include <cstdint>

extern "C" {

// Results of the entry points; 0 is success.
using BE_ERR = std::uint32_t;
constexpr BE_ERR BE_ERR_SUCCESSFUL = 0x00000000;
constexpr BE_ERR BE_ERR_INVALID_FORMAT = 0x00000001;
constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 0x00000002;
constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 0x00000003;
constexpr BE_ERR BE_ERR_INVALID_HANDLE = 0x00000004;
constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 0x00000005;

// A stream handle: wide enough to hold the module's pointer on 64-bit systems.
using HBE_STREAM = std::uintptr_t;

// What "beVersion" fills in. The program does not read it; the layout is ours.
struct BE_VERSION {
    std::uint8_t byDLLMajorVersion;
    std::uint8_t byDLLMinorVersion;
    std::uint8_t byMajorVersion;  // of the encoder engine (libmp3lame)
    std::uint8_t byMinorVersion;
    std::uint8_t byDay;  // release date of the module
    std::uint8_t byMonth;
    std::uint16_t wYear;
    char zHomepage[129];
    std::uint8_t byAlphaLevel;
    std::uint8_t byBetaLevel;
    std::uint8_t byMMXEnabled;
    std::uint8_t btReserved[125];
};

// config: the configuration record; *samples receives the number of 16-bit samples
// (all channels together) that one "beEncodeChunk" call takes, *bufferSize the output
// buffer size in bytes that every chunk and the final flush fit in.
using BEINITSTREAM = BE_ERR (*)(const void* config, std::uint32_t* samples,
                                std::uint32_t* bufferSize, HBE_STREAM* stream);
// samples: 16-bit samples (all channels together, interleaved), at most *samples of
// "beInitStream"; output: a buffer of *bufferSize bytes; *outputBytes receives the count.
using BEENCODECHUNK = BE_ERR (*)(HBE_STREAM stream, std::uint32_t samples, const std::int16_t* pcm,
                                 std::uint8_t* output, std::uint32_t* outputBytes);
// Flushes the last frames into output (a buffer of *bufferSize bytes).
using BEDEINITSTREAM = BE_ERR (*)(HBE_STREAM stream, std::uint8_t* output,
                                  std::uint32_t* outputBytes);
using BECLOSESTREAM = BE_ERR (*)(HBE_STREAM stream);
using BEVERSION = void (*)(BE_VERSION* version);
// Rewrites the VBR (Xing) header frame of a finished file from the totals of the stream
// that wrote it, which must still be open. The file alone does not say which stream that
// is: the module takes the one stream with a header that the calling thread opened, and
// refuses (BE_ERR_INVALID_HANDLE) when there is none or more than one.
using BEWRITEVBRHEADER = BE_ERR (*)(const char* path);
// The same for a named stream: what a caller with several streams open at once uses.
// Optional, like "beWriteVBRHeader"; this module's own addition to the interface.
using BEWRITESTREAMVBRHEADER = BE_ERR (*)(HBE_STREAM stream, const char* path);

}  // extern "C"

namespace korvida::lame_enc {

// Entry point names, as looked up with dlsym.
constexpr const char kInitStream[] = "beInitStream";
constexpr const char kEncodeChunk[] = "beEncodeChunk";
constexpr const char kDeinitStream[] = "beDeinitStream";
constexpr const char kCloseStream[] = "beCloseStream";
constexpr const char kVersion[] = "beVersion";
constexpr const char kWriteVBRHeader[] = "beWriteVBRHeader";
constexpr const char kWriteStreamVBRHeader[] = "beWriteStreamVBRHeader";

// The module's file name.
constexpr const char kModuleFileName[] = "liblame_enc.so";

// The configuration record in its LAME extended form.
constexpr std::size_t kConfigSize = 331;
constexpr std::uint32_t kConfigLame = 256;  // the "configuration kind" of this form
constexpr std::uint32_t kConfigVersion = 1;

// Byte offsets of the fields; every field is 32 bits wide. The 255 bytes from offset 76
// (average bit rate, VBR method, no-reservoir, strict ISO, quality word, reserved) stay 0.
enum ConfigOffset : std::size_t {
    kOffConfig = 0,
    kOffStructVersion = 4,
    kOffStructSize = 8,
    kOffSampleRate = 12,
    kOffResampleRate = 16,
    kOffMode = 20,  // signed
    kOffBitrate = 24,
    kOffMaxBitrate = 28,
    kOffPreset = 32,  // signed
    kOffMpegVersion = 36,
    kOffPsyModel = 40,
    kOffEmphasis = 44,
    kOffPrivate = 48,
    kOffCrc = 52,
    kOffCopyright = 56,
    kOffOriginal = 60,
    kOffWriteVbrHeader = 64,
    kOffEnableVbr = 68,
    kOffVbrQuality = 72,  // signed
    kOffReserved = 76,
};

// Channel modes (the value at kOffMode). Mono also means the input samples are mono.
constexpr std::int32_t kModeStereo = 0;
constexpr std::int32_t kModeJointStereo = 1;
constexpr std::int32_t kModeDualChannel = 2;
constexpr std::int32_t kModeMono = 3;

// Quality presets (the value at kOffPreset).
constexpr std::int32_t kPresetNormal = 0;
constexpr std::int32_t kPresetLow = 1;
constexpr std::int32_t kPresetHigh = 2;
constexpr std::int32_t kPresetVoice = 3;

constexpr std::uint32_t kMpeg1 = 1;

inline std::uint32_t GetConfig32(const std::uint8_t* record, std::size_t offset) {
    return std::uint32_t{record[offset]} | std::uint32_t{record[offset + 1]} << 8 |
           std::uint32_t{record[offset + 2]} << 16 | std::uint32_t{record[offset + 3]} << 24;
}

inline void SetConfig32(std::uint8_t* record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace korvida::lame_enc
