#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace korvida {

// The input of the freedb commands, computed from the TOC: entry 0 the disc id
// (unsigned, stored in the signed entry), entry 1 the track count n, entries 2 … n+1
// the frame offsets (MSF addresses, LBA + 150) in TOC order, entry n+2 the disc length
// in seconds. Zero-filled before use.
using FreedbTocSummary = std::array<std::int32_t, 110>;

// A READ TOC response: 4-byte header and 100 descriptors of 8 bytes.
constexpr int kTocResponseSize = 4 + 100 * 8;

// Fills `summary` from a READ TOC response with MSF addresses (minute, second, frame in
// descriptor bytes 5, 6, 7). False, with the summary zero-filled, when the header's
// track numbers give no tracks or more than the 99 that fit beside a lead-out.
bool ComputeFreedbDiscId(std::span<const std::uint8_t, kTocResponseSize> msfToc,
                         FreedbTocSummary& summary);

// The disc id of a summary (entry 0 as unsigned).
inline std::uint32_t FreedbDiscId(const FreedbTocSummary& summary) {
    return static_cast<std::uint32_t>(summary[0]);
}

// The MSF form of a READ TOC response with LBA addresses (the copy DiscInfo keeps), as
// the drive would have returned it: every address + 150 frames, as minute, second and
// frame. The header and the other descriptor bytes are copied.
std::array<std::uint8_t, kTocResponseSize> LbaTocToMsfToc(
    std::span<const std::uint8_t, kTocResponseSize> lbaToc);

// The freedb id of a disc from the LBA copy of its TOC (the `toc` command's
// "freedb id: %08x" line). False when the TOC holds no tracks.
bool FreedbDiscIdOfLbaToc(std::span<const std::uint8_t, kTocResponseSize> lbaToc,
                          std::uint32_t& id);

}  // namespace korvida
