#include "core/rip/RipCommand.h"

#include <algorithm>

#include "core/cdrom/CSCSIDriver.h"
#include "core/disc/CoverArtStore.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"
#include "core/disc/TrackList.h"
#include "core/jobs/JobLogLine.h"
#include "core/jobs/WorkerThread.h"
#include "core/platform/UserNotifier.h"
#include "core/rip/OutputNameClashes.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipThread.h"
#include "core/settings/Settings.h"
#include "core/verify/AccurateRipDisc.h"

namespace korvida {

int PrepareRip(const TrackList& rows, const DiscInfo& disc, CSCSIDriver* driver,
               UserNotifier& notifier) {
    const std::vector<int> tracks = rows.CheckedTracks();
    const int ticked = static_cast<int>(std::count_if(
        tracks.begin(), tracks.end(), [&disc](int index) { return !IsDataTrack(disc, index); }));
    if (ticked == 0) {
        notifier.ShowMessage(kSelectTrackMessage);
        return 0;
    }
    if (driver)
        driver->Stop();
    return ticked;
}

std::unique_ptr<RipJob> BuildRipJob(const TrackList& rows, const DiscInfo& disc) {
    auto job = std::make_unique<RipJob>();
    job->disc = std::make_shared<const DiscInfo>(disc);
    job->accurateRip = AccurateRipDiscOf(disc.rawToc.data());
    for (const TrackList::Row& row : rows.rows()) {
        if (!row.checked)
            continue;
        const int i = row.trackIndex;
        // A row naming no track of this disc would read another disc's frames.
        if (i < 0 || i >= disc.trackCount || i >= DiscInfo::kMaxTracks)
            continue;
        // An audio read of a data track fails, and would fail the tracks around it.
        if (IsDataTrack(disc, i)) {
            job->skippedDataTracks.push_back(i);
            continue;
        }
        const auto at = static_cast<std::size_t>(i);
        RipJobItem item;
        item.start = disc.trackRanges[at].start;
        item.end = disc.trackRanges[at].end;
        item.name = row.texts[1];
        item.index = i;
        item.track = disc.tracks[at];
        item.isrc = disc.isrc[at];
        if (disc.InSet()) {
            item.discNumber = disc.discNumber;
            item.discCount = disc.discCount;
        }
        job->items.push_back(std::move(item));
    }
    return job;
}

RipJobHandle StartRip(const TrackList& rows, const DiscInfo& disc, const JobParties& parties,
                      Settings& settings, UserNotifier& notifier) {
    std::unique_ptr<RipJob> job = BuildRipJob(rows, disc);
    if (job->items.empty()) {
        notifier.ShowMessage(kSelectTrackMessage);
        return {};
    }
    const int priority = NormalizeThreadPriority(settings.ThreadPriority);
    job->settings = settings;
    // Each track would replace the one before it under the same name, and the job would
    // still end as done: refuse it before a frame is read or a folder made.
    if (const auto clashes = FindOutputNameClashes(*job); !clashes.empty()) {
        const std::string message = OutputNameClashMessage(settings.NamingRule, clashes);
        notifier.ShowMessage(message);
        // The progress window's error page sends the user to the log for the reason.
        SendJobLog(parties.mainWindow, JobLogLine(StampStyle::kSquareBrackets, message));
        return {};
    }
    // For the tags and cover.jpg; read here, so both front ends rip with the stored cover.
    job->coverArt = LoadCoverArt(disc);
    job->keepWav = settings.OutputFormat == kOutputWav;
    job->fileJob = false;
    job->driver = parties.driver;
    job->context.progressWindow = parties.progressWindow;
    job->context.mainWindow = parties.mainWindow;
    return StartJobThread(
        std::move(job), [](RipJob& record) { RipThread(record); }, priority);
}

}  // namespace korvida
