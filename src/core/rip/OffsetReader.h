#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/disc/DiscInfo.h"

namespace korvida {

class CSCSIDriver;
struct TocView;

// Samples (stereo frames of 4 bytes) in one CD frame.
inline constexpr std::int64_t kSamplesPerFrame = 588;

// The frames a drive can be asked for, first <= frame < end. What lies outside is given
// as zeros: before LBA 0, from the lead-out on, and the data tracks, which an audio read
// cannot read.
struct ReadableArea {
    std::uint32_t first = 0;
    std::uint32_t end = 0xFFFFFFFFu;
};

// The run of audio tracks around `lba` in a TOC: from LBA 0 or the track after the data
// track before it, to the lead-out or the data track after it; on an enhanced CD to the
// end of the audio session (AudioSessionEnd).
ReadableArea AudioAreaAround(const TocView& toc, std::uint32_t lba);

// A track's samples, read through a drive with a read offset of `offsetSamples`, chunk by
// chunk. A drive with read offset +N answers a read of sample s with the disc's sample
// s - N, so sample s of the disc is read at s + N: the reads are shifted by the offset
// into the neighbouring frames, and one frame more is read when the offset is not a
// whole number of frames. With offset 0 the reads are exactly the track's frames in
// chunks of `chunkFrames`.
class OffsetReader {
  public:
    enum class Result {
        kChunk,   // data() holds the chunk's PCM bytes
        kFailed,  // the drive could not read the chunk; its samples are left out
        kDone,
    };

    // `buffer` (chunkFrames × 2352 bytes) receives every read and outlives the reader.
    OffsetReader(CSCSIDriver* driver, TrackRange track, int offsetSamples, ReadableArea area,
                 std::uint32_t chunkFrames, std::vector<std::uint8_t>& buffer);

    Result Next();

    // Where the frames come from instead of the driver's audio read (secure reads): the
    // frames lba … lba + count - 1 into out, false when they could not be read.
    using FrameRead =
        std::function<bool(std::uint32_t lba, std::uint32_t count, std::uint8_t* out)>;
    void SetFrameRead(FrameRead read) { read_ = std::move(read); }

    const std::uint8_t* data() const { return buffer_.data() + skipBytes_; }
    std::size_t bytes() const { return bytes_; }
    // Samples of the track that came before the current chunk, read or left out.
    std::uint64_t samplesBefore() const { return samplesBefore_; }
    std::uint64_t totalSamples() const { return totalSamples_; }
    // Samples delivered as zeros because they lay outside the readable area.
    std::uint32_t zeroSamples() const { return zeroSamples_; }
    // The first frame the drive is asked for (where a warm-up read should end).
    std::uint32_t firstReadFrame() const;
    // One past the last frame the drive is asked for.
    std::uint32_t endFrame() const;
    // kFailed: the first frame of the read that failed.
    std::uint32_t failedFrame() const { return failedFrame_; }

  private:
    CSCSIDriver* driver_;
    ReadableArea area_;
    std::uint32_t chunkFrames_;
    std::vector<std::uint8_t>& buffer_;
    FrameRead read_;

    std::int64_t frame_;     // next frame to read, in the drive's addressing; may be < 0
    std::int64_t endFrame_;  // one past the last frame to read
    std::int64_t skip_;      // samples of the next read before the track's first sample
    std::uint64_t samplesBefore_ = 0;
    std::uint64_t totalSamples_;
    std::uint64_t remaining_;

    std::size_t skipBytes_ = 0;
    std::size_t bytes_ = 0;
    std::uint32_t zeroSamples_ = 0;
    std::uint32_t failedFrame_ = 0;
};

}  // namespace korvida
