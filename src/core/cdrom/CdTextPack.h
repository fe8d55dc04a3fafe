#pragma once

#include <cstddef>
#include <cstdint>

namespace korvida {

// The CD-Text packs of the lead-in as READ TOC format 5 returns them after a 4-byte
// header: 18 bytes each.
//   0      pack type (0x80 title … 0x8F size information)
//   1      track number of the pack's first character (bit 7: extension flag); for the
//          size information, the pack's number within it (0-2)
//   2      sequence number, counting every pack of the block
//   3      bit 7 double-byte characters, bits 6-4 block number, bits 3-0 how many
//          characters of the string in progress earlier packs hold (15 = 15 or more)
//   4-15   text: zero-terminated strings, one per track from track 0 (the disc)
//   16-17  CRC-16 of bytes 0-15 (polynomial 0x1021, initial 0), inverted, big-endian
inline constexpr std::size_t kCdTextPackSize = 18;
inline constexpr std::size_t kCdTextPayload = 12;
inline constexpr std::size_t kCdTextPayloadOffset = 4;

namespace cdtext {
inline constexpr std::uint8_t kTitle = 0x80;
inline constexpr std::uint8_t kPerformer = 0x81;
inline constexpr std::uint8_t kSongwriter = 0x82;
inline constexpr std::uint8_t kSizeInfo = 0x8F;

// Character codes of the size information's first byte.
inline constexpr std::uint8_t kIso8859_1 = 0x00;
inline constexpr std::uint8_t kAscii = 0x01;
inline constexpr std::uint8_t kMsJis = 0x80;
}  // namespace cdtext

// The CRC a pack stores in bytes 16-17, of its first 16 bytes (already inverted).
std::uint16_t CdTextPackCrc(const std::uint8_t* pack);

// True when the pack's stored CRC matches its first 16 bytes.
bool CdTextPackIntact(const std::uint8_t* pack);

}  // namespace korvida
