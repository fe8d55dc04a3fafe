#pragma once

#include <cstdint>

#include "core/encode/EncodeItem.h"
#include "core/verify/TrackVerification.h"

namespace korvida {

// One track of a rip, or one file of a file job, as it was when the job started: editing
// the track list while the job runs changes nothing here. The stages see it as its
// EncodeItem.
struct RipJobItem : EncodeItem {
    std::uint32_t start = 0;  // first frame (LBA); extraction may move it when trimming
    std::uint32_t end = 0;    // one past the last frame
    // Rip items with verification on: what the checks found.
    TrackVerification verification;
};

}  // namespace korvida
