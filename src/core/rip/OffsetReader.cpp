#include "core/rip/OffsetReader.h"

#include <algorithm>
#include <cstring>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Toc.h"

namespace korvida {
namespace {

constexpr std::int64_t kSampleBytes = 4;

// Floor division, also for the negative sample positions of a negative offset.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// How many of the samples first <= s < first + count lie in lo <= s < hi.
std::int64_t Overlap(std::int64_t first, std::int64_t count, std::int64_t lo, std::int64_t hi) {
    return std::max<std::int64_t>(0, std::min(first + count, hi) - std::max(first, lo));
}

}  // namespace

ReadableArea AudioAreaAround(const TocView& toc, std::uint32_t lba) {
    ReadableArea area;
    std::vector<TocDescriptor> tracks;
    for (const TocDescriptor& d : toc.descriptors) {
        if (d.IsLeadout()) {
            area.end = d.lba;
            break;
        }
        tracks.push_back(d);
    }
    // The track holding lba; before the first track's start it is the first track.
    std::size_t at = 0;
    while (at + 1 < tracks.size() && tracks[at + 1].lba <= lba)
        ++at;
    for (std::size_t i = at + 1; i < tracks.size(); ++i) {
        if (tracks[i].IsData()) {
            area.end = std::min(area.end, tracks[i].lba);
            break;
        }
    }
    // An enhanced CD's audio session ends before its lead-out, which no read reaches.
    const std::uint32_t sessionEnd = AudioSessionEnd(toc);
    if (lba < sessionEnd)
        area.end = std::min(area.end, sessionEnd);
    for (std::size_t i = at; i-- > 0;) {
        if (tracks[i].IsData()) {
            area.first = tracks[i + 1].lba;
            break;
        }
    }
    return area;
}

OffsetReader::OffsetReader(CSCSIDriver* driver, TrackRange track, int offsetSamples,
                           ReadableArea area, std::uint32_t chunkFrames,
                           std::vector<std::uint8_t>& buffer)
    : driver_(driver), area_(area), chunkFrames_(std::max(chunkFrames, 1u)), buffer_(buffer) {
    area_.end = std::max(area_.end, area_.first);
    const std::int64_t frames = track.end > track.start ? track.end - track.start : 0;
    const std::int64_t first = std::int64_t{track.start} * kSamplesPerFrame + offsetSamples;
    const std::int64_t last = first + frames * kSamplesPerFrame;  // one past
    frame_ = FloorDiv(first, kSamplesPerFrame);
    endFrame_ = FloorDiv(last + kSamplesPerFrame - 1, kSamplesPerFrame);
    skip_ = first - frame_ * kSamplesPerFrame;
    totalSamples_ = static_cast<std::uint64_t>(frames * kSamplesPerFrame);
    remaining_ = totalSamples_;
}

std::uint32_t OffsetReader::firstReadFrame() const {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(frame_, area_.first, area_.end));
}

std::uint32_t OffsetReader::endFrame() const {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(endFrame_, area_.first, area_.end));
}

OffsetReader::Result OffsetReader::Next() {
    if (remaining_ == 0 || frame_ >= endFrame_)
        return Result::kDone;
    samplesBefore_ = totalSamples_ - remaining_;
    const std::int64_t count = std::min<std::int64_t>(endFrame_ - frame_, chunkFrames_);
    const std::int64_t samples = std::min<std::int64_t>(count * kSamplesPerFrame - skip_,
                                                        static_cast<std::int64_t>(remaining_));
    const std::int64_t lo = std::clamp<std::int64_t>(frame_, area_.first, area_.end);
    const std::int64_t hi = std::clamp<std::int64_t>(frame_ + count, area_.first, area_.end);
    const auto frameBytes = static_cast<std::size_t>(kSamplesPerFrame * kSampleBytes);
    const auto before = static_cast<std::size_t>(lo - frame_) * frameBytes;
    const auto inside = static_cast<std::size_t>(std::max<std::int64_t>(hi - lo, 0)) * frameBytes;
    const auto total = static_cast<std::size_t>(count) * frameBytes;

    bool read = true;
    if (inside > 0) {
        AudioReadRequest request;
        request.startLba = static_cast<std::uint32_t>(lo);
        request.sectorCount = static_cast<std::uint32_t>(hi - lo);
        request.byteLength = static_cast<std::uint32_t>(inside);
        request.buffer = buffer_.data() + before;
        read = read_ ? read_(request.startLba, request.sectorCount, request.buffer)
                     : driver_ != nullptr && driver_->ReadAudio(request) != 0;
    }
    const std::int64_t firstSample = frame_ * kSamplesPerFrame + skip_;
    frame_ += count;
    remaining_ -= static_cast<std::uint64_t>(samples);
    skipBytes_ = static_cast<std::size_t>(skip_ * kSampleBytes);
    skip_ = 0;
    if (!read) {
        failedFrame_ = static_cast<std::uint32_t>(lo);
        bytes_ = 0;
        return Result::kFailed;
    }
    if (inside < total) {
        std::memset(buffer_.data(), 0, before);
        std::memset(buffer_.data() + before + inside, 0, total - before - inside);
        const std::int64_t outside =
            samples - Overlap(firstSample, samples, std::int64_t{area_.first} * kSamplesPerFrame,
                              std::int64_t{area_.end} * kSamplesPerFrame);
        zeroSamples_ += static_cast<std::uint32_t>(outside);
    }
    bytes_ = static_cast<std::size_t>(samples * kSampleBytes);
    return Result::kChunk;
}

}  // namespace korvida
