#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/verify/TrackVerification.h"

namespace korvida {

// The CUETools database's figures, as its own verifier computes them (CUETools'
// AccurateRipVerify.CTDBCRC and CDRepair, read for the definition): plain CRC32 (zlib's)
// of the little-endian PCM bytes from audio track 1's start to the audio's end, less
// 10 sectors (5880 samples) at the start and, at the end, 5880 samples plus the disc's
// length in samples modulo 5880 (the parity's last stride), where that length counts from
// LBA 0 to the audio's end. A track's figure is the CRC32 of its samples, the first
// track's less the leading edge, the last track's less the trailing one.
inline constexpr std::uint64_t kCtdbEdgeSamples = 5880;
// The shifts a rip is compared at: a drive whose read offset is wrong by up to five
// sectors still meets the database.
inline constexpr int kCtdbMaxShift = 2939;

// The samples left out at the end, for audio ending `audioEndLba` sectors after LBA 0.
std::uint64_t CtdbTailSkip(std::uint32_t audioEndLba);

// Audio tracks 1 … A in disc order; a null entry for a track that was not read whole.
using CtdbTracks = std::vector<const TrackChecksums*>;

// The figure of the rip read `shift` samples later than it was (the samples the rip
// holds at [from + shift, to + shift) of the disc's audio), when the windows hold what it
// needs. A track's figure at a shift takes samples of its neighbours.
std::optional<std::uint32_t> CtdbTrackCrc(const CtdbTracks& tracks, std::size_t track, int shift,
                                          std::uint64_t tailSkip);
std::optional<std::uint32_t> CtdbDiscCrc(const CtdbTracks& tracks, int shift,
                                         std::uint64_t tailSkip);

}  // namespace korvida
