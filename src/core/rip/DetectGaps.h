#pragma once

#include <string>
#include <vector>

#include "core/rip/DiscIndexes.h"

namespace korvida {

class CSCSIDriver;
struct DiscInfo;
struct JobContext;
struct TocView;

// Finds every audio track's INDEX 00 and INDEX 02+ from the Q sub-channel, and music
// before track 1 (a hidden track), before a rip. It searches rather than scans: the few
// seconds before each track start, then halves the stretch where the index changes;
// frames with a damaged Q are stepped over. Progress goes to the context's progress
// window as a rip step, the positions to the job log. Stops early when cancelled
// (context.aborted is then set). A drive that answers no sub-channel read leaves the
// result not detected, with a log line.
DiscIndexes DetectGaps(CSCSIDriver& driver, const DiscInfo& disc, JobContext& context);

// One line per audio track: its gap (or none) and its later indexes, as the job log and
// the rip log list them.
std::vector<std::string> IndexLines(const DiscIndexes& indexes, const TocView& toc);

// "mm:ss.ff" of a length in frames, as the log shows gaps and the hidden track.
std::string GapLength(std::uint32_t frames);

}  // namespace korvida
