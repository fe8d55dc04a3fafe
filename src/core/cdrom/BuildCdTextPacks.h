#pragma once

#include <cstdint>
#include <vector>

namespace korvida {

class DiscImage;

// The CD-Text a disc mastered from the image would carry in its lead-in: block 0 with the
// title, performer and songwriter packs of the disc and its tracks (a type only when one
// of its strings is set), then the three size-information packs; each pack with its CRC.
// ISO-8859-1 when every string has it, else MS-JIS (double-byte) when every string has
// that; empty when there is no text, it fits neither or it needs more than the 256
// packs a block holds, as a disc without CD-Text.
// A track's string equal to the one before it is written as a tab, as mastering tools
// do; an empty string is an empty string.
std::vector<std::uint8_t> BuildCdTextPacks(const DiscImage& image);

}  // namespace korvida
