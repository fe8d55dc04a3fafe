#pragma once

#include <cstdint>
#include <vector>

#include "core/cdrom/VirtualDrive.h"

namespace korvida {

// Damaged discs for tests and benchmarks, the same for the same seed.

// `count` frames among first ≤ f < end, spread over the whole range, that read wrong
// without an error for their first one or two reads and right after (a scratch a
// re-read gets past); flagged by C2 pointers when `c2Flagged`.
std::vector<VirtualDriveFaults::Altered> ScatterMisreads(std::uint32_t first, std::uint32_t end,
                                                         int count, std::uint32_t seed,
                                                         bool c2Flagged = true);

// `count` frames among first ≤ f < end that never read the same twice.
std::vector<VirtualDriveFaults::Altered> UnstableFrames(std::uint32_t first, std::uint32_t end,
                                                        int count, std::uint32_t seed,
                                                        bool c2Flagged = true);

}  // namespace korvida
