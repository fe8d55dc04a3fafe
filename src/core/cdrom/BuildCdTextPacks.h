#pragma once

#include <cstdint>
#include <vector>

namespace korvida {

class DiscImage;

// The CD-Text a disc mastered from the image would carry in its lead-in: the packs of
// the sheet's CDTEXTFILE as they are, else block 0 built from its TITLE, PERFORMER and
// SONGWRITER lines: the title, performer and songwriter packs of the disc and its tracks
// (a type only when one of its strings is set), then the three size-information packs;
// each pack with its CRC. The block is ISO-8859-1 when every string has it, else MS-JIS,
// Chinese (GB 2312, written as GBK) or Korean (KS C 5601, written as CP949), the first
// of these that holds every string; when none does, the one that holds most, the others
// left empty. The block's language is the character set's (English, Japanese, Chinese,
// Korean). Empty when there is no text or it needs more than the 256 packs a block holds.
// A track's string equal to the one before it is written as a tab, as mastering tools
// do; an empty string is an empty string.
std::vector<std::uint8_t> BuildCdTextPacks(const DiscImage& image);

}  // namespace korvida
