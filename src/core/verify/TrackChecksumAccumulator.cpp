#include "core/verify/TrackChecksumAccumulator.h"

#include <zlib.h>

#include <algorithm>

#include "core/platform/ByteOrder.h"
#include "core/verify/ChecksumKernels.h"
#include "core/verify/Crc32.h"

namespace korvida {
namespace {

// Samples of one CD frame (2352 bytes).
constexpr std::uint64_t kSectorSamples = 588;
// The first and last track leave out five sectors' worth of samples (the first one
// sample less) that drives with different read offsets do not all reach.
constexpr std::uint64_t kEdgeSamples = 5 * kSectorSamples;
// The offset-finding figure covers the sector that starts here.
constexpr std::uint64_t kFrame450Start = 450 * kSectorSamples;

}  // namespace

TrackChecksumAccumulator::TrackChecksumAccumulator(AccurateRipPosition position)
    : position_(position) {}

void TrackChecksumAccumulator::Feed(const std::uint8_t* pcm, std::size_t bytes) {
    bytes -= bytes % 4;
    const SampleScan scan = ScanSamples(pcm, bytes / 2);
    peak_ = std::max(peak_, scan.peak);
    FeedCrcs(pcm, bytes, scan.hasZero);

    const std::size_t count = bytes / 4;
    if (position_.track > 0) {
        // m = sample index + 1 runs over [first, last]; everything else counts nothing.
        // The last track's limit is taken in 32 bits, as the rippers that fill the database
        // take it: on a last track shorter than five sectors it wraps and leaves nothing out.
        const std::uint64_t n = position_.samples;
        const std::uint64_t first = position_.track == 1 ? kEdgeSamples : 1;
        const std::uint64_t last = position_.track == position_.audioTracks
                                       ? static_cast<std::uint32_t>(n - kEdgeSamples)
                                       : n;
        // The chunk's samples k with first <= fed_ + k + 1 <= last.
        const std::uint64_t from = first > fed_ + 1 ? first - fed_ - 1 : 0;
        const std::uint64_t to = std::min<std::uint64_t>(count, last > fed_ ? last - fed_ : 0);
        if (from < to) {
            AddAccurateRipProducts(pcm + 4 * from, static_cast<std::size_t>(to - from),
                                   static_cast<std::uint32_t>(fed_ + from + 1), arLo_, arHi_);
        }
        // The frame-450 sector's samples in this chunk.
        const std::uint64_t begin = std::max(fed_, kFrame450Start);
        const std::uint64_t end = std::min(fed_ + count, kFrame450Start + kSectorSamples);
        for (std::uint64_t index = begin; index < end; ++index) {
            frame450_ += Le32(pcm + 4 * (index - fed_)) *
                         static_cast<std::uint32_t>(index - kFrame450Start + 1);
        }
    }
    fed_ += count;
}

// Both CRC32 figures in one pass over the bytes: each run of non-zero samples is taken
// once and joined onto both; the zero samples between the runs enter only the first.
void TrackChecksumAccumulator::FeedCrcs(const std::uint8_t* pcm, std::size_t bytes, bool hasZero) {
    const auto join = [&](const std::uint8_t* run, std::size_t length) {
        const std::uint32_t crc = Crc32(0, run, length);
        const auto zlibLength = static_cast<z_off_t>(length);
        crc_ = static_cast<std::uint32_t>(crc32_combine(crc_, crc, zlibLength));
        crcNoNull_ = static_cast<std::uint32_t>(crc32_combine(crcNoNull_, crc, zlibLength));
    };
    if (!hasZero) {
        join(pcm, bytes);
        return;
    }
    const auto isZero = [&](std::size_t at) { return pcm[at] == 0 && pcm[at + 1] == 0; };
    for (std::size_t at = 0; at < bytes;) {
        std::size_t end = at + 2 * FindZeroSample(pcm + at, (bytes - at) / 2);
        if (end > at)
            join(pcm + at, end - at);
        at = end;
        while (end < bytes && isZero(end))
            end += 2;
        crc_ = Crc32(crc_, pcm + at, end - at);
        at = end;
    }
}

void TrackChecksumAccumulator::Skip(std::uint32_t firstLba, std::uint32_t sectors) {
    skipped_.push_back(firstLba);
    fed_ += std::uint64_t{sectors} * kSectorSamples;
}

void TrackChecksumAccumulator::Store(TrackVerification& verification) const {
    verification.checked = skipped_.empty();
    verification.skippedSectors = skipped_;
    verification.peak = static_cast<std::uint16_t>(std::min(peak_, 32767));
    TrackChecksums& sums = verification.sums;
    sums.crc32 = crc_;
    sums.crc32NoNull = crcNoNull_;
    sums.arV1 = arLo_;
    sums.arV2 = arLo_ + arHi_;
    sums.frame450 = frame450_;
    sums.hasFrame450 = position_.track > 0 &&
                       position_.samples >= kFrame450Start + kSectorSamples &&
                       fed_ >= kFrame450Start + kSectorSamples;
}

}  // namespace korvida
