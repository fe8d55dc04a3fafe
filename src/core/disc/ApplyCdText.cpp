#include "core/disc/ApplyCdText.h"

namespace korvida {

namespace {

void Take(std::string& field, const std::string& value) {
    if (!value.empty())
        field = value;
}

}  // namespace

bool ApplyCdText(const CdText& text, const DiscToc& toc, DiscInfo& disc) {
    if (text.Empty() || !toc.ok)
        return false;
    const CdTextEntry& album = text.entries[0];
    Take(disc.album.Title, album.title);
    Take(disc.album.Album, album.title);
    Take(disc.album.Artist, album.performer);
    Take(disc.album.Composer, album.songwriter);
    for (std::size_t i = 0; i < toc.tracks.size() && i < disc.tracks.size(); ++i) {
        const int number = toc.tracks[i].tocTrackNumber;
        if (number < 1 || number >= static_cast<int>(text.entries.size()))
            continue;
        const CdTextEntry& entry = text.entries[static_cast<std::size_t>(number)];
        TrackInfo& track = disc.tracks[i];
        Take(track.Album, album.title);
        Take(track.Artist, album.performer);
        Take(track.Title, entry.title);
        Take(track.Artist, entry.performer);
        Take(track.Composer, entry.songwriter);
    }
    return true;
}

}  // namespace korvida
