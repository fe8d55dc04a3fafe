#include "core/verify/OffsetSearch.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "core/platform/ByteOrder.h"
#include "core/verify/ChecksumKernels.h"

namespace korvida {
namespace {

constexpr std::uint64_t kEdgeSamples = 5 * 588;

}  // namespace

std::vector<TrackOffsetMatch> MatchTrackAtOffsets(const std::uint8_t* pcm,
                                                  AccurateRipPosition position,
                                                  const std::vector<OffsetSearchEntry>& entries,
                                                  int range) {
    std::vector<TrackOffsetMatch> matches;
    std::vector<OffsetSearchEntry> live;
    for (const OffsetSearchEntry& entry : entries)
        if (entry.confidence > 0 && entry.crc != 0)
            live.push_back(entry);
    const std::uint64_t n = position.samples;
    if (live.empty() || position.track <= 0)
        return matches;
    // The samples j (0-based in the track) counted, with multiplier j + 1: the track's
    // edges on the disc's first and last tracks are left out.
    const std::uint64_t a = position.track == 1 ? kEdgeSamples - 1 : 0;
    const std::uint64_t last = position.track == position.audioTracks ? n - kEdgeSamples : n;
    if (n <= 2 * kEdgeSamples || last <= a + 1)
        return matches;  // too short to have edges left out as the figures assume
    const std::uint64_t b = last - 1;
    const std::uint64_t count = b - a + 1;

    // x(i): sample i of the track read at offset -range, i.e. pcm's sample i.
    const auto x = [pcm](std::uint64_t i) -> std::uint64_t { return Le32(pcm + 4 * i); };
    // Offset o's window starts at pcm sample range + o.
    using Wide = unsigned __int128;
    Wide p = 0;           // Σ (j + 1) · x(base + j) over j in [a, b], exactly
    std::uint64_t s = 0;  // Σ x(base + j), exactly
    for (std::uint64_t j = a; j <= b; ++j) {
        p += Wide{j + 1} * x(j);
        s += x(j);
    }
    for (int o = -range;; ++o) {
        const std::uint64_t base = static_cast<std::uint64_t>(o + range);
        const auto v1 = static_cast<std::uint32_t>(p);
        const auto high = static_cast<std::uint32_t>(p >> 32);
        int best = 0;
        std::uint32_t v2 = 0;
        bool haveV2 = false;
        for (const OffsetSearchEntry& entry : live) {
            bool match = entry.crc == v1;
            if (!match && std::uint32_t(v1 + high - entry.crc) < count) {
                if (!haveV2) {
                    std::uint32_t lo = 0, hi = 0;
                    AddAccurateRipProducts(pcm + 4 * (base + a), static_cast<std::size_t>(count),
                                           static_cast<std::uint32_t>(a + 1), lo, hi);
                    v2 = lo + hi;
                    haveV2 = true;
                }
                match = entry.crc == v2;
            }
            if (match)
                best = std::max(best, entry.confidence);
        }
        if (best > 0)
            matches.push_back({o, best});
        if (o == range)
            break;
        // To offset o + 1: P' = P − (a+1)·x(base+a) + (b+2)·x(base+b+1) − S', where
        // S' = S − x(base+a) + x(base+b+1) is the next window's plain sum.
        const std::uint64_t out = x(base + a);
        const std::uint64_t in = x(base + b + 1);
        s = s - out + in;
        p = p - Wide{a + 1} * out + Wide{b + 2} * in - s;
    }
    return matches;
}

std::vector<OffsetSearchEntry> OffsetSearchEntries(const AccurateRipReply& reply, int track) {
    std::vector<OffsetSearchEntry> entries;
    for (const AccurateRipPressing& pressing : reply.pressings) {
        const auto at = static_cast<std::size_t>(track - 1);
        if (track >= 1 && at < pressing.tracks.size())
            entries.push_back({pressing.tracks[at].crc, pressing.tracks[at].confidence});
    }
    return entries;
}

std::vector<OffsetCandidate> RankOffsets(const std::vector<std::vector<TrackOffsetMatch>>& tracks) {
    std::map<int, OffsetCandidate> byOffset;
    for (const auto& matches : tracks) {
        for (const TrackOffsetMatch& match : matches) {
            OffsetCandidate& candidate = byOffset[match.offset];
            candidate.offset = match.offset;
            candidate.confidence = candidate.tracks == 0
                                       ? match.confidence
                                       : std::min(candidate.confidence, match.confidence);
            ++candidate.tracks;
        }
    }
    std::vector<OffsetCandidate> ranked;
    for (const auto& [offset, candidate] : byOffset)
        ranked.push_back(candidate);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const OffsetCandidate& l, const OffsetCandidate& r) {
                         if (l.tracks != r.tracks)
                             return l.tracks > r.tracks;
                         if (l.confidence != r.confidence)
                             return l.confidence > r.confidence;
                         return std::abs(l.offset) < std::abs(r.offset);
                     });
    return ranked;
}

}  // namespace korvida
