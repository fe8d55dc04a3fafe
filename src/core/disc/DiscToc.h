#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/disc/DiscInfo.h"

namespace korvida {

// One track of a TOC that passed the checks below.
struct DiscTocTrack {
    int tocTrackNumber = 0;   // from the header's first..last range; only default titles use it
    std::uint32_t start = 0;  // LBA
    // The next descriptor's LBA (the lead-out for the last track); for the last audio
    // track of an enhanced CD the end of its session (AudioSessionEnd), since the frames
    // between the sessions are no track's.
    std::uint32_t end = 0;
    bool data = false;  // CONTROL bit 2: a data track
};

struct DiscToc {
    bool ok = false;
    std::vector<DiscTocTrack> tracks;  // in TOC order; index = track index
    std::uint32_t leadout = 0;
    // Why the TOC was refused, or what of it was left out.
    std::string problem;
};

// Reads the tracks of a READ TOC format-0 reply with LBA addresses (DiscInfo.rawToc).
// A TOC comes from a drive and is checked like any input: the header's first and last
// track numbers must lie in 1..99 with first ≤ last, the reply must hold a descriptor
// for every track and the lead-out, and the addresses must not go backwards. A TOC that
// breaks a check is refused whole (ok false, `problem` says what is wrong), since a
// table that contradicts itself gives no trustworthy track boundaries.
DiscToc ReadDiscToc(const std::uint8_t* rawToc, std::size_t size = DiscInfo::kRawTocSize);

// Whether track `index` (TOC order) of the loaded disc is a data track, which an audio read
// cannot read.
bool IsDataTrack(const DiscInfo& disc, int index);

}  // namespace korvida
