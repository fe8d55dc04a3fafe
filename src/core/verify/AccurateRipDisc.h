#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/verify/TrackChecksumAccumulator.h"

namespace korvida {

// The disc's identity in the AccurateRip database, computed from its TOC.
struct AccurateRipDisc {
    bool ok = false;  // the TOC held at least one audio track
    int audioTracks = 0;
    std::uint32_t id1 = 0;
    std::uint32_t id2 = 0;
    std::uint32_t freedbId = 0;
    // By TOC track index: the track's place among the audio tracks (track 0 for a data
    // track) and its length for the checksums.
    std::vector<AccurateRipPosition> tracks;

    // The position of a TOC track index; a data track's (track 0) when out of range.
    AccurateRipPosition PositionOf(int index) const;
    // "004-0002189a-00087f33-1f02e004"
    std::string IdText() const;
    // "dBAR-004-0002189a-00087f33-1f02e004.bin"
    std::string FileName() const;
    // "a/9/8/dBAR-….bin", the file's place under the database's root.
    std::string DatabasePath() const;
};

// From a READ TOC format-0 reply with LBA addresses (DiscInfo.rawToc). The lead-out is
// the disc's own, also on an enhanced CD whose data session follows the audio. There the
// last audio track's checksums end where its session ends: the data track's start less
// the 11400 sectors of lead-out, lead-in and pregap between the sessions.
AccurateRipDisc AccurateRipDiscOf(const std::uint8_t* rawToc);

}  // namespace korvida
