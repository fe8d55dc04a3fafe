#pragma once

#include <cstdint>

namespace korvida {

class AccurateRipLookup;
struct RipJob;

// How long the end of a rip waits for a lookup still running.
inline constexpr std::uint32_t kLookupGraceMs = 5000;

// The end of a rip with [AccurateRip] Verify on: takes the lookup's result (waiting at
// most graceMs, nothing when the job was aborted), logs how the lookup went and matches
// every extracted track against it. Verification never fails a rip.
void FinishVerification(RipJob& job, AccurateRipLookup& lookup,
                        std::uint32_t graceMs = kLookupGraceMs);

}  // namespace korvida
