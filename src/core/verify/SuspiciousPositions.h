#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/verify/TrackVerification.h"

namespace korvida {

// "mm:ss.ff" of a frame count: minutes, seconds and frames (75 a second).
std::string TrackTime(std::uint32_t frames);

// Runs of consecutive frames among `frames` (ascending, no repeats).
std::vector<FrameSpan> SpansOf(const std::vector<std::uint32_t>& frames);

// "02:20.13 - 02:20.40" for the job log and the rip log (one a line), "02:20.13-02:20.40"
// joined by "," for the CLI's verification line: a span runs from its first frame's time
// to the time its last frame ends.
std::string SpanText(const FrameSpan& span);
std::string CompactSpansText(const std::vector<FrameSpan>& spans);

}  // namespace korvida
