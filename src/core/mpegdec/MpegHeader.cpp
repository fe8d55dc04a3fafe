#include "core/mpegdec/MpegHeader.h"

namespace korvida {
namespace {

// Layer III bit rates in kbit/s by index; index 0 is free format, 15 is invalid.
constexpr int kMpeg1Layer3Kbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                      112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kMpeg2Layer3Kbps[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                      64, 80, 96, 112, 128, 144, 160, 0};

constexpr int kMpeg1Rates[4] = {44100, 48000, 32000, 0};

}  // namespace

bool ParseMpegHeader(const std::uint8_t* p, MpegHeader& h) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    h.version = static_cast<MpegVersion>((p[1] >> 3) & 3);
    const int layerBits = (p[1] >> 1) & 3;
    if (h.version == MpegVersion::kReserved || layerBits == 0)
        return false;
    h.layer = 4 - layerBits;
    h.crc = (p[1] & 1) == 0;
    h.bitRateIndex = p[2] >> 4;
    h.sampleRateIndex = (p[2] >> 2) & 3;
    h.padding = ((p[2] >> 1) & 1) != 0;
    h.channelMode = p[3] >> 6;

    // Only Layer III rates are tabled: the decoder takes nothing else.
    const bool mpeg1 = h.version == MpegVersion::kMpeg1;
    h.bitRate =
        h.layer != 3 ? 0 : 1000 * (mpeg1 ? kMpeg1Layer3Kbps : kMpeg2Layer3Kbps)[h.bitRateIndex];
    h.sampleRate = kMpeg1Rates[h.sampleRateIndex];
    if (h.version == MpegVersion::kMpeg2)
        h.sampleRate /= 2;
    else if (h.version == MpegVersion::kMpeg25)
        h.sampleRate /= 4;
    return true;
}

bool IsDecodableHeader(const std::uint8_t* p) {
    MpegHeader h;
    return HasMpegSync(p) && ParseMpegHeader(p, h) && h.layer == 3 &&
           (h.version == MpegVersion::kMpeg1 || h.version == MpegVersion::kMpeg2) &&
           h.sampleRate != 0 && h.bitRate != 0;
}

std::size_t Layer3FrameBytes(const MpegHeader& h) {
    if (h.layer != 3 || h.bitRate == 0 || h.sampleRate == 0)
        return 0;
    const int samplesPerFrameOver8 = h.version == MpegVersion::kMpeg1 ? 144 : 72;
    return static_cast<std::size_t>(samplesPerFrameOver8 * h.bitRate / h.sampleRate) +
           (h.padding ? 1 : 0);
}

std::size_t VbrTagOffset(const MpegHeader& h) {
    const bool mono = h.channels() == 1;
    if (h.version == MpegVersion::kMpeg1)
        return mono ? 21 : 36;
    return mono ? 13 : 21;
}

}  // namespace korvida
