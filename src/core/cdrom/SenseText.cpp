#include "core/cdrom/SenseText.h"

#include <cstdio>

namespace korvida {

namespace {

const char* KeyName(unsigned key) {
    static const char* const kNames[16] = {
        "NO SENSE",       "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
        "HARDWARE ERROR", "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
        "BLANK CHECK",    "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
        "EQUAL",          "VOLUME OVERFLOW", "MISCOMPARE",     "RESERVED"};
    return kNames[key & 0xF];
}

const char* AdditionalText(unsigned asc, unsigned ascq) {
    switch (asc) {
        case 0x04:
            return "logical unit not ready";
        case 0x11:
            return "unrecovered read error";
        case 0x20:
            return "invalid command operation code";
        case 0x21:
            return "logical block address out of range";
        case 0x24:
            return "invalid field in CDB";
        case 0x28:
            return "medium may have changed";
        case 0x29:
            return "power on or reset";
        case 0x2C:
            return "command sequence error";
        case 0x3A:
            return ascq == 0x02 ? "medium not present, tray open" : "medium not present";
        case 0x64:
            return "illegal mode for this track";
        default:
            return nullptr;
    }
}

}  // namespace

std::string SenseText(const std::uint8_t* sense, std::size_t length) {
    if (sense == nullptr || length < 3 || (sense[0] & 0x7E) != 0x70)
        return "no sense data";
    unsigned key = sense[2] & 0xF;
    unsigned asc = length > 12 ? sense[12] : 0;
    unsigned ascq = length > 13 ? sense[13] : 0;
    std::string text = KeyName(key);
    if (const char* more = AdditionalText(asc, ascq))
        text += std::string(", ") + more;
    char codes[32];
    std::snprintf(codes, sizeof codes, " (%02X/%02X/%02X)", key, asc, ascq);
    text += codes;
    if ((sense[0] & 0x80) && length >= 7) {
        unsigned long lba = (static_cast<unsigned long>(sense[3]) << 24) | (sense[4] << 16) |
                            (sense[5] << 8) | sense[6];
        text += " at LBA " + std::to_string(lba);
    }
    return text;
}

}  // namespace korvida
