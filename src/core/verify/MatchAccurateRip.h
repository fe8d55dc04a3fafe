#pragma once

#include <string>

#include "core/verify/AccurateRipLookupResult.h"
#include "core/verify/TrackVerification.h"

namespace korvida {

// Fills outcome, confidence, version and resultText of a track whose checksums are in
// `verification` (checked, sums), at place `track` (1 … A; 0 for a data track) among the
// disc's audio tracks. The track is matched against v1 and v2 of every pressing; the
// match of the highest confidence wins. Slots of confidence 0 are empty and match
// nothing; a track that only such slots hold is not in the database. A track whose
// checksums are those of silence is never matched. A track not read whole is not matched.
void MatchAccurateRip(const AccurateRipLookupResult& lookup, int track,
                      TrackVerification& verification);

// The text the completion page, the CLI's verification lines and the rip log show.
std::string AccurateRipResultText(const TrackVerification& verification,
                                  AccurateRipLookupResult::Status status);

}  // namespace korvida
