#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace korvida {

// One Q sub-channel frame as the disc carries it: control in the high nibble of byte 0 and
// ADR in the low one, nine data bytes in BCD, and a CRC over the ten bytes before it.
inline constexpr std::size_t kQFrameSize = 12;
// READ CD with sub-channel selection 010b (formatted Q) appends this much to each frame:
// the Q frame, then four bytes of padding.
inline constexpr std::size_t kFormattedQSize = 16;

using QFrame = std::array<std::uint8_t, kQFrameSize>;

// The CRC-16 of a Q frame (polynomial x^16 + x^12 + x^5 + 1, register starting at 0),
// stored inverted and big-endian in bytes 10 and 11.
std::uint16_t QFrameCrc(const std::uint8_t* tenBytes);

// A mode-1 (position) frame of `lba`: track and index number, the distance from the
// track's INDEX 01 (counting down in its pregap) and the absolute address, LBA + 150.
QFrame MakeQPositionFrame(std::uint8_t control, int track, int index, std::uint32_t relative,
                          std::uint32_t lba);

// What a position frame says. Frames with a wrong CRC, another ADR (catalogue number, ISRC)
// or digits that are no BCD give nothing: a reader skips them, as a player does.
struct QPosition {
    std::uint8_t control = 0;
    int track = 0;  // 1-99; 0xAA in the lead-out
    int index = 0;
    std::uint32_t lba = 0;  // from the absolute address
};
std::optional<QPosition> ParseQPosition(const std::uint8_t* frame);

}  // namespace korvida
