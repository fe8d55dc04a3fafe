#pragma once

#include <cstdint>

namespace korvida {

class CtdbLookup;
struct RipJob;

// Starts the CTDB lookup of the job's disc (nothing when [CTDB] Verify or Lookup is off,
// or the AccurateRip checksums it rides on are).
void StartCtdbLookup(RipJob& job, CtdbLookup& lookup);

// The end of a rip with [CTDB] Verify on, after the AccurateRip verdict: takes the lookup's
// result, logs it (and the shift found, when the rip lies off the database's rips) and
// matches every extracted track. Verification never fails a rip.
void FinishCtdbVerification(RipJob& job, CtdbLookup& lookup, std::uint32_t graceMs);

}  // namespace korvida
