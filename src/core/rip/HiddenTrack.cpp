#include "core/rip/HiddenTrack.h"

#include "core/disc/DiscInfo.h"
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

}  // namespace korvida
