#include "core/verify/TrackChecksumAccumulator.h"

#include <zlib.h>

#include <algorithm>

#include "core/platform/ByteOrder.h"
#include "core/verify/ChecksumKernels.h"
#include "core/verify/Crc32.h"
#include "core/verify/CtdbChecksums.h"

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

TrackChecksumAccumulator::TrackChecksumAccumulator(AccurateRipPosition position, bool ctdb)
    : position_(position) {
    const std::uint64_t n = position.samples;
    const std::uint64_t head = position.track == 1 ? kCtdbEdgeSamples : 0;
    const std::uint64_t tailSkip =
        position.track == position.audioTracks ? position.ctdbTailSkip : 0;
    // A track too short for the edges CTDB leaves out has no figure of its own.
    ctdb_ = ctdb && position.track > 0 && n > head + tailSkip;
    if (!ctdb_)
        return;
    constexpr auto kShift = static_cast<std::uint64_t>(kCtdbMaxShift);
    const std::uint64_t tail = n - tailSkip;
    windows_.samples = n;
    windows_.head.from = head > kShift ? head - kShift : 0;
    headTo_ = std::min(n, head + kShift);
    windows_.head.figures.resize(headTo_ - windows_.head.from + 1);
    windows_.tail.from = tail > kShift ? tail - kShift : 0;
    tailTo_ = std::min(n, tail + kShift);
    windows_.tail.figures.resize(tailTo_ - windows_.tail.from + 1);
    windows_.whole.from = n;
    windows_.whole.figures.resize(1);
}

// The running figure at each k of the window that this chunk reaches: the CRC32 of every
// sample before the chunk is crc_, so only the chunk's bytes up to the window are taken
// again, once, and then the window's samples one by one.
void TrackChecksumAccumulator::FeedWindow(CtdbCrcWindows::Window& window, std::uint64_t to,
                                          const std::uint8_t* pcm, std::size_t count) const {
    const std::uint64_t low = std::max(window.from, fed_);
    const std::uint64_t high = std::min<std::uint64_t>(to, fed_ + count);
    if (low > high)
        return;
    std::uint32_t crc = crc_;
    if (low > fed_)
        crc = Crc32(crc, pcm, static_cast<std::size_t>(low - fed_) * 4);
    window.figures[low - window.from] = crc;
    for (std::uint64_t k = low + 1; k <= high; ++k) {
        crc = Crc32(crc, pcm + (k - 1 - fed_) * 4, 4);
        window.figures[k - window.from] = crc;
    }
}

void TrackChecksumAccumulator::Feed(const std::uint8_t* pcm, std::size_t bytes) {
    bytes -= bytes % 4;
    const SampleScan scan = ScanSamples(pcm, bytes / 2);
    peak_ = std::max(peak_, scan.peak);
    const std::size_t count = bytes / 4;
    if (ctdb_ && fed_ <= windows_.samples) {
        FeedWindow(windows_.head, headTo_, pcm, count);
        FeedWindow(windows_.tail, tailTo_, pcm, count);
        FeedWindow(windows_.whole, windows_.samples, pcm, count);
    }
    FeedCrcs(pcm, bytes, scan.hasZero);

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
    if (ctdb_ && fed_ >= windows_.samples) {
        const std::uint64_t head = position_.track == 1 ? kCtdbEdgeSamples : 0;
        const std::uint64_t tail =
            windows_.samples -
            (position_.track == position_.audioTracks ? position_.ctdbTailSkip : 0);
        const auto bytes = static_cast<z_off64_t>((tail - head) * 4);
        sums.hasCtdb = true;
        sums.ctdbWindows = windows_;
        sums.ctdb = *windows_.At(tail) ^
                    static_cast<std::uint32_t>(crc32_combine64(*windows_.At(head), 0, bytes));
    }
    sums.hasFrame450 = position_.track > 0 &&
                       position_.samples >= kFrame450Start + kSectorSamples &&
                       fed_ >= kFrame450Start + kSectorSamples;
}

}  // namespace korvida
