#pragma once

#include <memory>
#include <vector>

namespace korvida {

class LoudnessMeter;
struct RipJob;

// The album's ReplayGain values over every track the rip measured (meters[i] belongs to
// job.items[i]; null or unstarted ones took no part), written with the track's own
// values into each file the rip made. A file that cannot take them keeps its track
// values and costs a log line; the rip stays a success.
void TagAlbumReplayGain(RipJob& job, const std::vector<std::unique_ptr<LoudnessMeter>>& meters);

}  // namespace korvida
