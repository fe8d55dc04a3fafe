#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

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
inline constexpr std::uint8_t kKorean = 0x81;    // KS C 5601
inline constexpr std::uint8_t kMandarin = 0x82;  // GB 2312

// Language codes of the blocks (EBU Tech 3264, appendix 3), in the size information's
// bytes 28-35, one per block.
inline constexpr std::uint8_t kLanguageEnglish = 0x09;
inline constexpr std::uint8_t kLanguageKorean = 0x65;
inline constexpr std::uint8_t kLanguageJapanese = 0x69;
inline constexpr std::uint8_t kLanguageChinese = 0x75;
}  // namespace cdtext

// At most 8 blocks of 256 packs each (block number 3 bits, sequence number one byte).
inline constexpr std::size_t kMaxCdTextPacks = 8 * 256;

// The CRC a pack stores in bytes 16-17, of its first 16 bytes (already inverted).
std::uint16_t CdTextPackCrc(const std::uint8_t* pack);

// True when the pack's stored CRC matches its first 16 bytes.
bool CdTextPackIntact(const std::uint8_t* pack);

// The packs of a CD-Text file as dump tools write it: the packs alone, or the READ TOC
// format 5 reply (a 4-byte header whose first two bytes count the bytes after them,
// then the packs); either may end with one more zero byte (cdrdao's dumps do). nullopt when the file
// has neither form, more packs than a disc holds, or not one pack whose CRC holds.
std::optional<std::vector<std::uint8_t>> CdTextFilePacks(std::string_view bytes);

}  // namespace korvida
