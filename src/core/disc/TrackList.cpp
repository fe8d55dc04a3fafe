#include "core/disc/TrackList.h"

#include <algorithm>
#include <cstdio>

namespace korvida {

int TrackList::FindTrack(int trackIndex) const {
    for (std::size_t p = 0; p < rows_.size(); ++p)
        if (rows_[p].trackIndex == trackIndex)
            return static_cast<int>(p);
    return -1;
}

int TrackList::FirstHighlighted() const {
    for (std::size_t p = 0; p < rows_.size(); ++p)
        if (rows_[p].highlighted)
            return static_cast<int>(p);
    return -1;
}

void TrackList::HighlightOnly(int position) {
    for (std::size_t p = 0; p < rows_.size(); ++p)
        rows_[p].highlighted = static_cast<int>(p) == position;
}

void TrackList::CheckAll(bool checked) {
    for (auto& r : rows_)
        r.checked = checked;
}

void TrackList::InvertChecks() {
    for (auto& r : rows_)
        r.checked = !r.checked;
}

std::vector<int> TrackList::CheckedTracks() const {
    std::vector<int> tracks;
    for (const auto& r : rows_)
        if (r.checked)
            tracks.push_back(r.trackIndex);
    return tracks;
}

void TrackList::SetTitle(int trackIndex, const std::string& title) {
    const int p = FindTrack(trackIndex);
    if (p >= 0)
        rows_[static_cast<std::size_t>(p)].texts[1] = title;
}

int TrackList::MoveHighlighted(Move move) {
    const int from = FirstHighlighted();
    if (from < 0)
        return -1;
    const int last = size() - 1;
    int to = from;
    switch (move) {
        case Move::kTop:
            to = 0;
            break;
        case Move::kUp:
            to = std::max(0, from - 1);
            break;
        case Move::kDown:
            to = std::min(last, from + 1);
            break;
        case Move::kBottom:
            to = last;
            break;
    }
    Row row = std::move(rows_[static_cast<std::size_t>(from)]);
    rows_.erase(rows_.begin() + from);
    rows_.insert(rows_.begin() + to, std::move(row));
    return to;
}

std::string FormatTrackLength(std::uint32_t frames) {
    const std::uint32_t seconds = frames / 75;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    return text;
}

std::string FormatTrackSize(std::uint32_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.2f", frames * 2352.0 / 1048576.0);
    return text;
}

std::string FormatTrackNumber(int trackIndex) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", trackIndex + 1);
    return text;
}

}  // namespace korvida
