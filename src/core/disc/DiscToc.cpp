#include "core/disc/DiscToc.h"

#include "core/cdrom/Toc.h"

namespace korvida {

DiscToc ReadDiscToc(const std::uint8_t* rawToc, std::size_t size) {
    DiscToc result;
    const TocView view = ParseTocReply(rawToc, size);
    const int first = view.firstTrack;
    const int last = view.lastTrack;
    if (first < 1 || last > DiscInfo::kMaxTracks || first > last) {
        result.problem = "track numbers " + std::to_string(first) + " to " + std::to_string(last) +
                         " are not a range within 1 to 99";
        return result;
    }
    const std::size_t n = static_cast<std::size_t>(last - first + 1);
    if (view.descriptors.size() < n + 1) {
        result.problem = "the table lists " + std::to_string(view.descriptors.size()) +
                         " entries for " + std::to_string(n) + " tracks and the lead-out";
        return result;
    }
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t start = view.descriptors[k].lba;
        const std::uint32_t end = view.descriptors[k + 1].lba;
        if (end < start) {
            result.problem = "track " + std::to_string(first + static_cast<int>(k)) +
                             " ends before it starts (" + std::to_string(start) + " > " +
                             std::to_string(end) + ")";
            result.tracks.clear();
            return result;
        }
        result.tracks.push_back(
            {first + static_cast<int>(k), start, end, view.descriptors[k].IsData()});
    }
    result.leadout = view.descriptors[n].lba;
    const std::uint32_t audioEnd = AudioSessionEnd(view);
    for (DiscTocTrack& track : result.tracks) {
        if (!track.data && track.start < audioEnd && track.end > audioEnd)
            track.end = audioEnd;
    }
    result.ok = true;
    return result;
}

bool IsDataTrack(const DiscInfo& disc, int index) {
    if (index < 0 || index >= disc.trackCount || index >= DiscInfo::kMaxTracks)
        return false;
    return (disc.rawToc[4 + 8 * static_cast<std::size_t>(index) + 1] & 0x04) != 0;
}

}  // namespace korvida
