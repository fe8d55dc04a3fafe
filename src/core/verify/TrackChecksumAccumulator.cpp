#include "core/verify/TrackChecksumAccumulator.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

#include "core/platform/ByteOrder.h"

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
    : position_(position),
      crc_(static_cast<std::uint32_t>(crc32(0, nullptr, 0))),
      crcNoNull_(crc_) {}

void TrackChecksumAccumulator::Feed(const std::uint8_t* pcm, std::size_t bytes) {
    bytes -= bytes % 4;
    crc_ = static_cast<std::uint32_t>(crc32(crc_, pcm, static_cast<uInt>(bytes)));

    nonZero_.clear();
    nonZero_.reserve(bytes);
    int peak = peak_;
    for (std::size_t i = 0; i < bytes; i += 2) {
        const auto sample = static_cast<std::int16_t>(Le16(pcm + i));
        if (sample != 0) {
            nonZero_.push_back(pcm[i]);
            nonZero_.push_back(pcm[i + 1]);
        }
        peak = std::max(peak, std::abs(int{sample}));
    }
    peak_ = peak;
    crcNoNull_ = static_cast<std::uint32_t>(
        crc32(crcNoNull_, nonZero_.data(), static_cast<uInt>(nonZero_.size())));

    if (position_.track <= 0) {
        fed_ += bytes / 4;
        return;
    }
    // m = sample index + 1 runs over [first, last]; everything else counts nothing.
    const std::uint64_t n = position_.samples;
    const std::uint64_t first = position_.track == 1 ? kEdgeSamples : 1;
    // The last track's limit is taken in 32 bits, as the rippers that fill the database
    // take it: on a last track shorter than five sectors it wraps and leaves nothing out.
    const std::uint64_t last =
        position_.track == position_.audioTracks ? static_cast<std::uint32_t>(n - kEdgeSamples) : n;
    std::uint32_t lo = arLo_, hi = arHi_, f450 = frame450_;
    const std::size_t count = bytes / 4;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint64_t index = fed_ + k;
        const std::uint64_t m = index + 1;
        const std::uint32_t s = Le32(pcm + 4 * k);
        if (m >= first && m <= last) {
            const std::uint64_t p = std::uint64_t{s} * m;
            lo += static_cast<std::uint32_t>(p);
            hi += static_cast<std::uint32_t>(p >> 32);
        }
        if (index >= kFrame450Start && index < kFrame450Start + kSectorSamples)
            f450 += s * static_cast<std::uint32_t>(index - kFrame450Start + 1);
    }
    arLo_ = lo;
    arHi_ = hi;
    frame450_ = f450;
    fed_ += count;
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
