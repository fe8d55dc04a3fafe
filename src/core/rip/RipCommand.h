#pragma once

#include <memory>
#include <thread>

namespace korvida {

class CSCSIDriver;
class Event;
class MessageTarget;
class TrackList;
class UserNotifier;
struct DiscInfo;
struct RipJob;
struct Settings;

// Shown when a rip is asked for without a ticked track.
inline constexpr const char* kSelectTrackMessage =
    "请至少选择一首音轨，\n可点击左侧复选框进行选择。";

// The rip command's checks before the progress window opens: at least one ticked row
// (else the user is told and 0 comes back), then the disc is stopped so that play does
// not compete with the reads. Returns the number of ticked rows, the progress window's
// total. The caller stops its own play-position timer.
int PrepareRip(const TrackList& rows, CSCSIDriver* driver, UserNotifier& notifier);

// The snapshot of a rip: one item per ticked row, top to bottom, with the track's range
// and description and the row's Title text as its name. Later edits of the list or the
// disc do not reach it.
std::unique_ptr<RipJob> BuildRipJob(const TrackList& rows, const DiscInfo& disc);

// Who a job talks to.
struct JobParties {
    CSCSIDriver* driver = nullptr;
    Event* cancelEvent = nullptr;  // the main window's, auto-reset
    MessageTarget* progressWindow = nullptr;
    MessageTarget* mainWindow = nullptr;
};

// Start rip: builds the job (telling the user and returning a thread that is not joinable
// when no row is ticked), resets the cancel event so that a request left from an earlier
// job does not cancel this one, and starts the rip thread at the ThreadPriority setting
// (a value outside 0..4 becomes 2, also in the settings). The thread owns the job and
// destroys it when it ends; `settings` must outlive the thread. The caller joins it.
std::thread StartRip(const TrackList& rows, const DiscInfo& disc, const JobParties& parties,
                     Settings& settings, UserNotifier& notifier);

// Start file job (encode WAV files chosen on disk): the file-job record, whose items are
// already in place, is prepared (keepWav and fileJob set, aborted cleared, Ogg Vorbis or
// MP3) and handed to the encode-files thread. The record must outlive the thread.
std::thread StartEncodeFilesJob(RipJob& job, const JobParties& parties, bool oggOutput,
                                Settings& settings);

}  // namespace korvida
