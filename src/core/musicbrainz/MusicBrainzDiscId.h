#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/freedb/FreedbDiscId.h"

namespace korvida {

// What MusicBrainz knows a disc by, computed from the TOC with libdiscid.
struct MusicBrainzDiscId {
    bool ok = false;
    std::string id;             // 28 characters
    std::string submissionUrl;  // where a user attaches an unknown disc to a release
    // "first last leadout offset1 …" (absolute addresses, LBA + 150), the fuzzy lookup's
    // toc= value with spaces for "+".
    std::string toc;
    int firstTrack = 0;
    int lastTrack = 0;  // the last audio track: trailing data tracks are not counted
    // Each audio track's length in sectors, the last one's to the audio lead-out: what a
    // medium's track lengths are checked against.
    std::vector<int> trackSectors;
};

// From the LBA copy of a READ TOC response (DiscInfo.rawToc). Only the audio part counts:
// data tracks after the last audio track (the second session of an enhanced CD) are left
// out, and the audio part ends 11,400 sectors before the first of them (the gap between
// the sessions). ok false when the TOC holds no audio track.
MusicBrainzDiscId ComputeMusicBrainzDiscId(std::span<const std::uint8_t, kTocResponseSize> lbaToc);

}  // namespace korvida
