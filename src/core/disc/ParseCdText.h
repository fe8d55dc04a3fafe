#pragma once

#include <cstddef>
#include <cstdint>

#include "core/disc/CdText.h"

namespace korvida {

// Reads the CD-Text of a READ TOC format 5 reply (`length` bytes, header included): the
// block in `language` (an EBU language code, cdtext::kLanguage…) when the disc has one
// and it names anything, else block 0. Only packs whose CRC holds are read; a string is
// taken only when every pack it runs through arrived, so a damaged pack loses its strings
// rather than shifting names onto other tracks. ISO-8859-1 and ASCII text is turned into
// UTF-8; MS-JIS, Korean (KS C 5601) and Chinese (GB 2312) through iconv; a block in any
// other character code gives nothing, and a string that does not convert is lost alone.
// Control characters are dropped and each string is cut to 253 bytes, as database values
// are.
CdText ParseCdText(const std::uint8_t* reply, std::size_t length, std::uint8_t language);

}  // namespace korvida
