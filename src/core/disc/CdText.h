#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korvida {

class CSCSIDriver;

// The names one entry of a disc's CD-Text gives, as UTF-8; empty when it gives none.
struct CdTextEntry {
    std::string title;
    std::string performer;
    std::string songwriter;
};

// What block 0 of a disc's CD-Text says: entry 0 for the disc, entry n for TOC track n.
struct CdText {
    std::array<CdTextEntry, 100> entries;

    bool Empty() const {
        for (const CdTextEntry& e : entries)
            if (!e.title.empty() || !e.performer.empty() || !e.songwriter.empty())
                return false;
        return true;
    }
};

// Reads the CD-Text of a READ TOC format 5 reply (`length` bytes, header included). Only
// packs whose CRC holds are read; a string is taken only when every pack it runs through
// arrived, so a damaged pack loses its strings rather than shifting names onto other
// tracks. ISO-8859-1 and ASCII text is turned into UTF-8, MS-JIS through iconv; a block
// in any other double-byte set, or MS-JIS that does not convert, gives nothing. Control
// characters are dropped and each string is cut to 253 bytes, as database values are.
CdText ParseCdText(const std::uint8_t* reply, std::size_t length);

// READ TOC format 5 through the driver's current drive, parsed. Empty when the drive
// has no CD-Text to give (or refuses the command).
CdText ReadCdText(CSCSIDriver& driver);

}  // namespace korvida
