#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/audio/BinaryFile.h"

namespace korvida {

// Every WAV file we write starts with the canonical 44-byte RIFF/WAVE header and the
// samples follow at byte 44.
constexpr std::size_t kWavHeaderSize = 44;

// Bytes of one CD frame (588 stereo samples of 16 bits).
constexpr std::uint32_t kCdFrameBytes = 2352;

// Format tags of the "fmt " chunk.
constexpr std::uint16_t kWavFormatPcm = 1;
constexpr std::uint16_t kWavFormatMuLaw = 7;

// Output kinds of the MPEG decoder that the decoder writer accepts.
constexpr int kDecoderOutputPcm = 0;
constexpr int kDecoderOutputMuLaw = 10;

struct WavFormat {
    std::uint16_t formatTag = kWavFormatPcm;
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = 44100;
    std::uint32_t bytesPerSecond = 176400;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
};

// Integer PCM: format 1, or 0xFFFE (WAVE_FORMAT_EXTENSIBLE), which other programs write
// for plain PCM too.
bool IsPcm(const WavFormat& format);

// 44100 Hz, 16-bit, 2-channel PCM: what extraction writes and the normaliser and the Ogg
// encoder accept.
bool IsCdAudio(const WavFormat& format);

using WavHeaderBytes = std::array<std::uint8_t, kWavHeaderSize>;

// The 44 header bytes, little-endian. The RIFF size is dataBytes + 36, held at
// 0xFFFFFFFF when that does not fit in 32 bits rather than wrapping to a tiny size.
WavHeaderBytes BuildWavHeader(const WavFormat& format, std::uint32_t dataBytes);

// --- Extraction writer: CD audio, 44100 Hz 16-bit stereo.

// Seeks to the start of the file and writes the header for `dataBytes` of samples; the
// position is left after the header. Called with 0 when the file is created and with
// the real count when reading has ended, so the file is well-formed at every moment.
bool WriteCdAudioWavHeader(BinaryFile& file, std::uint32_t dataBytes);

// --- Decoder writer: the format comes from the MPEG decoder.

// The format for a decoder output; empty for an output kind other than PCM (0) or
// µ-law (10). Byte rate and block alignment are rounded up to whole bytes.
std::optional<WavFormat> DecoderWavFormat(std::uint32_t sampleRate, std::uint16_t channels,
                                          std::uint16_t bitsPerSample, int outputKind);

// Writes the header with RIFF size 36 and data size 0 at the current position (the start
// of a new file). False, with nothing written, for an unknown output kind; false too when
// the 44 bytes could not all be written.
bool WriteDecoderWavHeader(BinaryFile& file, std::uint32_t sampleRate, std::uint16_t channels,
                           std::uint16_t bitsPerSample, int outputKind);

// Sets the RIFF size to dataBytes + 36 and the data size to dataBytes in the header at
// the start of the file; the file position does not move, so writing can go on.
bool UpdateWavSizes(BinaryFile& file, std::uint32_t dataBytes);

// --- Readers.

struct WavInfo {
    WavFormat format;
    std::uint64_t dataOffset = kWavHeaderSize;  // where the samples begin
    std::uint32_t dataSize = 0;                 // as the data chunk states it
};

enum class WavReadResult {
    kOk,
    kShort,    // fewer than 44 bytes could be read (or the read failed)
    kNotWave,  // not RIFF/WAVE, or no "fmt " chunk before the "data" chunk
};

// Reads the format and finds the samples. Files we write have the data at byte 44;
// files from elsewhere may carry other chunks (LIST, fact, a longer "fmt "), which are
// stepped over so that they are never taken for samples and never rewritten as such.
WavReadResult ReadWavInfo(BinaryFile& file, WavInfo& info);

}  // namespace korvida
