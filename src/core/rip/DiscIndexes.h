#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace korvida {

// What the Q sub-channel says beyond the TOC, in disc LBAs.
struct TrackIndexes {
    std::optional<std::uint32_t> index0;  // where the track's pregap begins; none: no gap
    std::vector<std::uint32_t> later;     // INDEX 02, 03, … in order
};

struct DiscIndexes {
    bool detected = false;  // detection ran; without it the TOC is all a rip knows
    // By track index in TOC order; data tracks and tracks not searched stay empty.
    std::vector<TrackIndexes> tracks;
    // Track numbers whose positions could not be read (every frame near them damaged).
    std::vector<int> unreadable;
    // Frames of music before track 1's INDEX 01 (from LBA 0): a hidden track; 0 for none.
    std::uint32_t hiddenFrames = 0;
    // Drive commands the search sent.
    std::size_t commands = 0;
};

}  // namespace korvida
