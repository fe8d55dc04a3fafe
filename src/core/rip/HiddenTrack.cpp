#include "core/rip/HiddenTrack.h"

#include <algorithm>

#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"
#include "core/disc/TrackList.h"
#include "core/rip/RipJob.h"

namespace korvida {

void AddHiddenTrackItem(RipJob& job) {
    if (!job.settings.HiddenTrack || job.indexes.hiddenFrames == 0 || job.items.empty() ||
        job.items.front().index != 0)
        return;
    RipJobItem item;
    const RipJobItem& first = job.items.front();
    item.index = -1;
    item.start = 0;
    item.end = job.indexes.hiddenFrames;
    item.name = kHiddenTrackTitle;
    item.track = first.track;
    item.track.Title = kHiddenTrackTitle;
    item.discNumber = first.discNumber;
    item.discCount = first.discCount;
    job.items.insert(job.items.begin(), std::move(item));
}

std::uint32_t HiddenTrackCandidate(const TrackList& rows, const DiscInfo& disc,
                                   const Settings& settings) {
    if (!settings.HiddenTrack || !settings.DetectGaps || disc.trackCount < 1 ||
        IsDataTrack(disc, 0))
        return 0;
    const std::vector<int> ticked = rows.CheckedTracks();
    if (std::find(ticked.begin(), ticked.end(), 0) == ticked.end())
        return 0;
    return disc.trackRanges[0].start;
}

}  // namespace korvida
