#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvida {

// The disc's identity in the CUETools database (CTDB), computed from its TOC.
struct CtdbDisc {
    bool ok = false;  // the TOC held at least one audio track
    int audioTracks = 0;
    std::string id;  // the TOC id, 28 characters
    // The lookup's "toc" parameter: every track's LBA in TOC order, a data track's with a
    // leading "-", then the lead-out, joined by ":".
    std::string tocParameter;
};

// The TOC id: SHA-1 over the uppercase 8-digit hexadecimal sector addresses of audio
// tracks 2 … A and of the audio's end, each relative to audio track 1's start, padded
// with "00000000" to 100 figures; the 20 bytes in Base64 with ".", "_" and "-" standing
// for "+", "/" and "=". `audioStarts` are LBAs; `audioEnd` is the lead-out, or on an
// enhanced CD the end of the audio session.
std::string CtdbTocId(const std::vector<std::uint32_t>& audioStarts, std::uint32_t audioEnd);

// From a READ TOC format-0 reply with LBA addresses (DiscInfo.rawToc).
CtdbDisc CtdbDiscOf(const std::uint8_t* rawToc);

// http://<server>/lookup2.php?version=3&ctdb=1&fuzzy=1&toc=<toc>; a server given without
// its scheme gets "http://".
std::string CtdbLookupUrl(const std::string& server, const CtdbDisc& disc);

}  // namespace korvida
