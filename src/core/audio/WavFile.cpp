#include "core/audio/WavFile.h"

#include <cstring>

#include "core/platform/ByteOrder.h"

namespace korvida {
namespace {

bool IsId(const std::uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// The "fmt " chunk's first 16 bytes, which is all a PCM reader needs.
WavFormat ParseFormat(const std::uint8_t* p) {
    WavFormat f;
    f.formatTag = Le16(p);
    f.channels = Le16(p + 2);
    f.sampleRate = Le32(p + 4);
    f.bytesPerSecond = Le32(p + 8);
    f.blockAlign = Le16(p + 12);
    f.bitsPerSample = Le16(p + 14);
    return f;
}

// The RIFF size counts everything after its own field: 36 header bytes plus the data.
std::uint32_t RiffSizeFor(std::uint32_t dataBytes) {
    const std::uint64_t size = std::uint64_t{dataBytes} + 36;
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size);
}

}  // namespace

bool IsPcm(const WavFormat& format) {
    return format.formatTag == kWavFormatPcm || format.formatTag == 0xFFFE;
}

bool IsCdAudio(const WavFormat& format) {
    return IsPcm(format) && format.sampleRate == 44100 && format.bitsPerSample == 16 &&
           format.channels == 2;
}

WavHeaderBytes BuildWavHeader(const WavFormat& format, std::uint32_t dataBytes) {
    WavHeaderBytes h{};
    std::memcpy(h.data() + 0, "RIFF", 4);
    PutLe32(h.data() + 4, RiffSizeFor(dataBytes));
    std::memcpy(h.data() + 8, "WAVE", 4);
    std::memcpy(h.data() + 12, "fmt ", 4);
    PutLe32(h.data() + 16, 16);
    PutLe16(h.data() + 20, format.formatTag);
    PutLe16(h.data() + 22, format.channels);
    PutLe32(h.data() + 24, format.sampleRate);
    PutLe32(h.data() + 28, format.bytesPerSecond);
    PutLe16(h.data() + 32, format.blockAlign);
    PutLe16(h.data() + 34, format.bitsPerSample);
    std::memcpy(h.data() + 36, "data", 4);
    PutLe32(h.data() + 40, dataBytes);
    return h;
}

bool WriteCdAudioWavHeader(BinaryFile& file, std::uint32_t dataBytes) {
    const WavHeaderBytes header = BuildWavHeader(WavFormat{}, dataBytes);
    return file.Seek(0) && file.Write(header.data(), header.size());
}

std::optional<WavFormat> DecoderWavFormat(std::uint32_t sampleRate, std::uint16_t channels,
                                          std::uint16_t bitsPerSample, int outputKind) {
    WavFormat f;
    if (outputKind == kDecoderOutputPcm)
        f.formatTag = kWavFormatPcm;
    else if (outputKind == kDecoderOutputMuLaw)
        f.formatTag = kWavFormatMuLaw;
    else
        return std::nullopt;
    f.channels = channels;
    f.sampleRate = sampleRate;
    // 64-bit so that a large rate times channels times bits cannot wrap before dividing.
    const std::uint64_t bitsPerFrame = std::uint64_t{channels} * bitsPerSample;
    f.bytesPerSecond = static_cast<std::uint32_t>((sampleRate * bitsPerFrame + 7) / 8);
    f.blockAlign = static_cast<std::uint16_t>((bitsPerFrame + 7) / 8);
    f.bitsPerSample = bitsPerSample;
    return f;
}

bool WriteDecoderWavHeader(BinaryFile& file, std::uint32_t sampleRate, std::uint16_t channels,
                           std::uint16_t bitsPerSample, int outputKind) {
    const auto format = DecoderWavFormat(sampleRate, channels, bitsPerSample, outputKind);
    if (!format)
        return false;
    const WavHeaderBytes header = BuildWavHeader(*format, 0);
    return file.Write(header.data(), header.size());
}

bool UpdateWavSizes(BinaryFile& file, std::uint32_t dataBytes) {
    std::uint8_t field[4];
    PutLe32(field, RiffSizeFor(dataBytes));
    if (!file.WriteAt(4, field, 4))
        return false;
    PutLe32(field, dataBytes);
    return file.WriteAt(40, field, 4);
}

WavReadResult ReadWavInfo(BinaryFile& file, WavInfo& info) {
    std::uint8_t head[kWavHeaderSize];
    if (file.ReadAt(0, head, sizeof head) != static_cast<std::int64_t>(sizeof head))
        return WavReadResult::kShort;
    if (!IsId(head, "RIFF") || !IsId(head + 8, "WAVE"))
        return WavReadResult::kNotWave;

    // Canonical layout, the one we write: read straight from the 44 bytes at hand.
    if (IsId(head + 12, "fmt ") && Le32(head + 16) == 16 && IsId(head + 36, "data")) {
        info.format = ParseFormat(head + 20);
        info.dataOffset = kWavHeaderSize;
        info.dataSize = Le32(head + 40);
        return WavReadResult::kOk;
    }

    // Otherwise walk the chunks. Each step moves on by at least 8 bytes and a read past
    // the end of the file ends the walk, so a damaged size cannot loop forever.
    bool haveFormat = false;
    std::uint64_t pos = 12;
    for (;;) {
        std::uint8_t chunk[8];
        if (file.ReadAt(pos, chunk, sizeof chunk) != static_cast<std::int64_t>(sizeof chunk))
            return WavReadResult::kNotWave;
        const std::uint32_t size = Le32(chunk + 4);
        if (IsId(chunk, "fmt ")) {
            std::uint8_t fmt[16];
            if (size < sizeof fmt ||
                file.ReadAt(pos + 8, fmt, sizeof fmt) != static_cast<std::int64_t>(sizeof fmt))
                return WavReadResult::kNotWave;
            info.format = ParseFormat(fmt);
            haveFormat = true;
        } else if (IsId(chunk, "data")) {
            if (!haveFormat)
                return WavReadResult::kNotWave;
            info.dataOffset = pos + 8;
            info.dataSize = size;
            return WavReadResult::kOk;
        }
        pos += 8 + std::uint64_t{size} + (size & 1u);  // chunks are padded to even sizes
    }
}

}  // namespace korvida
