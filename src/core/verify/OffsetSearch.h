#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/verify/AccurateRipReply.h"
#include "core/verify/TrackChecksumAccumulator.h"

namespace korvida {

// The read offsets searched, in samples either way: beyond every drive the database lists.
inline constexpr int kOffsetSearchRange = 3000;

// A figure of one track in the database, from one pressing.
struct OffsetSearchEntry {
    std::uint32_t crc = 0;
    int confidence = 0;
};

// An offset at which the track's audio gives a figure the database holds.
struct TrackOffsetMatch {
    int offset = 0;
    int confidence = 0;  // the highest among the entries it matches
};

// The track's AccurateRip v1 and v2 figures at every read offset in ±range, from one read:
// `pcm` holds the disc's samples (little-endian 16-bit stereo) from `range` samples before
// the track to `range` after it, read at offset 0 (zeros where the disc could not be
// read). The figure at offset o takes the track's samples from o samples later on the
// disc, as a rip with that read offset does. Entries of confidence 0, or of figure 0
// (silence), match nothing. Matches in offset order.
//
// The v1 figure is the low 32 bits of P = Σ m·x (m the multiplier of the sample x); kept
// exactly (128 bits), P moves to the next offset in O(1): every multiplier falls by one,
// which takes the window's plain sum S away, and one sample leaves and one enters. The
// v2 figure adds the high halves of the products, which do not move so simply; but
// v2 = v1 + ⌊P / 2^32⌋ − k, where k < n (the samples summed) is the carry out of the low
// halves' sum. A figure c is then possible only where v1 + ⌊P / 2^32⌋ − c (mod 2^32) is
// below n, which random figures seldom are, and only there is v2 computed in full.
std::vector<TrackOffsetMatch> MatchTrackAtOffsets(const std::uint8_t* pcm,
                                                  AccurateRipPosition position,
                                                  const std::vector<OffsetSearchEntry>& entries,
                                                  int range = kOffsetSearchRange);

// The database's entries for audio track `track` (1 … A) over every pressing.
std::vector<OffsetSearchEntry> OffsetSearchEntries(const AccurateRipReply& reply, int track);

// An offset the tracks agree on.
struct OffsetCandidate {
    int offset = 0;
    int tracks = 0;      // tracks that match at this offset
    int confidence = 0;  // the lowest of their confidences: at least this many rips agree
};

// Per track (each its matches), the offsets that matched, best first: most tracks, then
// the highest confidence, then the smallest offset.
std::vector<OffsetCandidate> RankOffsets(const std::vector<std::vector<TrackOffsetMatch>>& tracks);

}  // namespace korvida
