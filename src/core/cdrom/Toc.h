#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvida {

// One READ TOC format-0 descriptor.
struct TocDescriptor {
    std::uint8_t adrControl = 0;   // ADR in the high nibble, control (0x4 = data) in the low
    std::uint8_t trackNumber = 0;  // 0xAA for the lead-out
    std::uint32_t lba = 0;

    bool IsLeadout() const { return trackNumber == 0xAA; }
    bool IsData() const { return adrControl & 0x04; }
};

struct TocView {
    std::uint8_t firstTrack = 0;
    std::uint8_t lastTrack = 0;
    std::vector<TocDescriptor> descriptors;  // tracks in TOC order, then the lead-out
};

// Reads a READ TOC format-0 reply. Only descriptors that lie inside both the header's
// data length and `size` are read (at most 100), so a drive whose header claims more
// than it sent, or more than 804 bytes hold, cannot make a reader run past the buffer.
// msf: the addresses are reserved/M/S/F and are turned back into LBAs.
TocView ParseTocReply(const std::uint8_t* buffer, std::size_t size, bool msf = false);

// Between an audio session and a data session after it (an enhanced CD): the first
// session's lead-out (6750), the second's lead-in (4500) and the data track's pregap (150).
inline constexpr std::uint32_t kSessionGapFrames = 11400;

// Where the disc's audio ends. When the last tracks are data tracks after audio, the
// first of them less the session gap: from there on lie the first session's lead-out and
// the second's lead-in, which no read reaches. Otherwise the lead-out. A TOC whose data
// track lies closer to the last audio track than the gap (an image made without one)
// ends the audio at the data track. 0 for a TOC without a lead-out.
std::uint32_t AudioSessionEnd(const TocView& toc);

// "mm:ss:ff" of an LBA (the MSF address LBA + 150).
std::string FormatMsf(std::uint32_t lba);

// One line per descriptor, tab-separated: track number ("%02u", "leadout" for 0xAA),
// ADR/control as two hex digits, LBA, MSF as mm:ss:ff. What `korvida-cli toc` prints
// first.
std::vector<std::string> TocDescriptorLines(const TocView& toc);

}  // namespace korvida
