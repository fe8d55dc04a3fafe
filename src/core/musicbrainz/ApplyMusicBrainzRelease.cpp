#include "core/musicbrainz/ApplyMusicBrainzRelease.h"

#include <algorithm>

namespace korvida {

bool ApplyMusicBrainzRelease(const MusicBrainzRelease& release, DiscInfo& disc) {
    if (release.medium < 0 || static_cast<std::size_t>(release.medium) >= release.media.size())
        return false;
    const MusicBrainzMedium& medium = release.media[static_cast<std::size_t>(release.medium)];
    const std::string year = release.Year();

    const auto common = [&](TrackInfo& info) {
        info.Album = release.title;
        if (!year.empty())
            info.Year = year;
        if (!release.genre.empty())
            info.GenreName = release.genre;
    };
    disc.album.Title = release.title;
    disc.album.Artist = release.artist;
    common(disc.album);

    const int count = std::clamp(disc.trackCount, 0, DiscInfo::kMaxTracks);
    for (int i = 0; i < count && static_cast<std::size_t>(i) < medium.tracks.size(); ++i) {
        TrackInfo& track = disc.tracks[static_cast<std::size_t>(i)];
        const MusicBrainzTrack& source = medium.tracks[static_cast<std::size_t>(i)];
        track.Title = source.title;
        track.Artist = source.artist.empty() ? release.artist : source.artist;
        common(track);
    }
    return true;
}

}  // namespace korvida
