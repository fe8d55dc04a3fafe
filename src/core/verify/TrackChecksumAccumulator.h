#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/verify/TrackVerification.h"

namespace korvida {

// Where a track lies among the disc's audio tracks, as the AccurateRip figures need it.
struct AccurateRipPosition {
    int track = 0;              // t: 1 … audioTracks; 0 for a data track (no AR figures)
    int audioTracks = 0;        // A
    std::uint64_t samples = 0;  // N: the track's stereo samples (frames of 4 bytes)
    // The last audio track: the samples the CTDB figures leave out at the disc's end.
    std::uint64_t ctdbTailSkip = 0;
};

// The checksums of one track taken while it is extracted, chunk by chunk, so that no
// second pass over the file is needed: CRC32 with and without the zero samples,
// AccurateRip v1 and v2, the frame-450 figure and the peak. Chunks come in disc order.
// Audio past the track's N samples (a session gap read with the last audio track) enters
// the CRC32 figures, never the AccurateRip ones.
class TrackChecksumAccumulator {
  public:
    // `ctdb`: also the running CRC32 about CTDB's edges (CtdbCrcWindows).
    explicit TrackChecksumAccumulator(AccurateRipPosition position, bool ctdb = false);

    // Little-endian 16-bit stereo PCM as read; `bytes` a multiple of 4.
    void Feed(const std::uint8_t* pcm, std::size_t bytes);
    // A chunk that could not be read and is left out: the track is no longer whole.
    void Skip(std::uint32_t firstLba, std::uint32_t sectors);

    // Fills checked, sums, skippedSectors and peak.
    void Store(TrackVerification& verification) const;

  private:
    void FeedCrcs(const std::uint8_t* pcm, std::size_t bytes, bool hasZero);
    void FeedWindow(CtdbCrcWindows::Window& window, std::uint64_t to, const std::uint8_t* pcm,
                    std::size_t count) const;

    AccurateRipPosition position_;
    std::uint64_t fed_ = 0;  // samples seen or skipped so far
    std::uint32_t crc_ = 0;  // zlib's CRC32 of nothing is 0
    std::uint32_t crcNoNull_ = 0;
    std::uint32_t arLo_ = 0;
    std::uint32_t arHi_ = 0;
    std::uint32_t frame450_ = 0;
    int peak_ = 0;
    std::vector<std::uint32_t> skipped_;
    bool ctdb_ = false;
    CtdbCrcWindows windows_;
    std::uint64_t headTo_ = 0;  // the last k of each window
    std::uint64_t tailTo_ = 0;
};

}  // namespace korvida
