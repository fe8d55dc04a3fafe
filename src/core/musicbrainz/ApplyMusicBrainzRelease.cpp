#include "core/musicbrainz/ApplyMusicBrainzRelease.h"

#include <algorithm>

namespace korvida {

bool ApplyMusicBrainzRelease(const MusicBrainzRelease& release, DiscInfo& disc) {
    if (release.medium < 0 || static_cast<std::size_t>(release.medium) >= release.media.size())
        return false;
    const MusicBrainzMedium& medium = release.media[static_cast<std::size_t>(release.medium)];
    const int count = std::clamp(disc.trackCount, 0, DiscInfo::kMaxTracks);
    const std::size_t applied = std::min(static_cast<std::size_t>(count), medium.tracks.size());

    // A name the reply lacks is no name: the disc keeps the one it has (typed, or from
    // another source), and a release with none at all is no match.
    const bool anyTrackTitle =
        std::any_of(medium.tracks.begin(), medium.tracks.begin() + static_cast<long>(applied),
                    [](const MusicBrainzTrack& track) { return !track.title.empty(); });
    if (release.title.empty() && release.artist.empty() && !anyTrackTitle)
        return false;

    // The set's disc: the medium's place among the release's media.
    if (release.media.size() > 1) {
        disc.discNumber = medium.position > 0 ? medium.position : release.medium + 1;
        disc.discCount = static_cast<int>(release.media.size());
    } else {
        disc.discNumber = disc.discCount = 0;
    }

    const std::string year = release.Year();
    const auto common = [&](TrackInfo& info) {
        if (!release.title.empty())
            info.Album = release.title;
        if (!year.empty())
            info.Year = year;
        if (!release.genre.empty())
            info.GenreName = release.genre;
    };
    if (!release.title.empty())
        disc.album.Title = release.title;
    if (!release.artist.empty())
        disc.album.Artist = release.artist;
    common(disc.album);

    for (int i = 0; i < count; ++i) {
        TrackInfo& track = disc.tracks[static_cast<std::size_t>(i)];
        if (static_cast<std::size_t>(i) < applied) {
            const MusicBrainzTrack& source = medium.tracks[static_cast<std::size_t>(i)];
            if (!source.title.empty())
                track.Title = source.title;
            const std::string& artist = source.artist.empty() ? release.artist : source.artist;
            if (!artist.empty())
                track.Artist = artist;
            common(track);
        } else if (medium.tracks.empty()) {
            // A medium given without its tracks: each track keeps its names and takes the
            // album's. A data track beyond a medium's tracks keeps everything.
            common(track);
        }
    }
    return true;
}

}  // namespace korvida
