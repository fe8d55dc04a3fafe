#pragma once

#include <cstddef>
#include <cstdint>

namespace korvida {

// MPEG audio versions as the header codes them (bits 20..19).
enum class MpegVersion { kMpeg25, kReserved, kMpeg2, kMpeg1 };

// The four bytes in front of every MPEG audio frame, unpacked.
struct MpegHeader {
    MpegVersion version = MpegVersion::kMpeg1;
    int layer = 3;            // 1, 2 or 3
    bool crc = false;         // a 16-bit CRC follows the header
    int bitRateIndex = 0;     // 0 = free format, 15 = invalid
    int sampleRateIndex = 0;  // 3 = reserved
    bool padding = false;     // the frame carries one byte more
    int channelMode = 0;      // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int bitRate = 0;          // bit/s; 0 for free format and for index 15
    int sampleRate = 0;       // Hz; 0 for the reserved index
    int channels() const { return channelMode == 3 ? 1 : 2; }
};

// Unpacks the header at p (four bytes). False without the 11-bit frame sync or with a
// reserved version or layer; every other field is filled even when a stream could not
// be decoded with it (free format, reserved sample rate), so callers decide.
bool ParseMpegHeader(const std::uint8_t* p, MpegHeader& header);

// The 12-bit sync the decode driver looks for: 0xFF, then a byte of at least 0xF0. It
// leaves out MPEG-2.5, whose second byte is 0xE0..0xEF.
inline bool HasMpegSync(const std::uint8_t* p) {
    return p[0] == 0xFF && p[1] >= 0xF0;
}

// A header the decoder can take: MPEG-1 or MPEG-2, Layer III, a real sample rate and a
// bit rate from the table. Free format (index 0) is refused because the frame length
// cannot be known from the header; index 15 is not a bit rate at all.
bool IsDecodableHeader(const std::uint8_t* p);

// Bytes of a Layer III frame, padding included: 144 (MPEG-1) or 72 (MPEG-2 and 2.5)
// × bit rate / sample rate, truncated. 0 for other layers, free format and invalid
// fields.
std::size_t Layer3FrameBytes(const MpegHeader& header);

// Where a Xing/Info header would sit in a Layer III frame: after the four header bytes
// and the side information, which is 32 bytes for MPEG-1 stereo, 17 for MPEG-1 mono and
// MPEG-2 stereo, 9 for MPEG-2 mono.
std::size_t VbrTagOffset(const MpegHeader& header);

}  // namespace korvida
