#pragma once

#include <memory>

#include "core/jobs/JobParties.h"
#include "core/rip/RipJobHandle.h"

namespace korvida {

class CSCSIDriver;
class MessageTarget;
class TrackList;
class UserNotifier;
struct DiscInfo;
struct RipJob;
struct Settings;

// Shown when a rip is asked for without a ticked track.
inline constexpr const char* kSelectTrackMessage =
    "请至少选择一首音轨，\n可点击左侧复选框进行选择。";

// The rip command's checks before the progress window opens: at least one ticked row of
// an audio track (else the user is told and 0 comes back), then the disc is stopped so
// that play does not compete with the reads. Returns the number of ticked audio tracks,
// the progress window's total. The caller stops its own play-position timer.
int PrepareRip(const TrackList& rows, const DiscInfo& disc, CSCSIDriver* driver,
               UserNotifier& notifier);

// The snapshot of a rip: one item per ticked row of an audio track, top to bottom, with
// the track's range and description and the row's Title text as its name; ticked data
// tracks are noted in skippedDataTracks. Later edits of the list or the disc do not
// reach it.
std::unique_ptr<RipJob> BuildRipJob(const TrackList& rows, const DiscInfo& disc);

// Start rip: builds the job, takes a copy of the settings for it and starts the rip
// thread at the ThreadPriority setting (a value outside 0..4 becomes 2, also in
// `settings`). The handle owns the job and its cancel event. A job that cannot run is
// refused before anything is read or written: the user is told why and the handle was
// never started. That is a job without a ticked row, and one whose naming rule gives
// two of its tracks the same file.
RipJobHandle StartRip(const TrackList& rows, const DiscInfo& disc, const JobParties& parties,
                      Settings& settings, UserNotifier& notifier);

}  // namespace korvida
