#pragma once

#include "core/disc/DiscInfo.h"

namespace korvida {

class TrackChecksumAccumulator;
struct RipJob;

// Stores the checksums of job.current, read over `whole` (the track before trimming), in
// its verification record, and logs when the written file differs from the audio they
// cover: trimmed to the item's range, normalised, or with chunks left out.
void StoreTrackChecksums(RipJob& job, const TrackChecksumAccumulator& sums, TrackRange whole,
                         bool normalised);

}  // namespace korvida
