#pragma once

#include <string>
#include <vector>

namespace korvida {

struct MusicBrainzTrack {
    std::string title;
    std::string artist;  // the track's own artist credit, as the release credits it
};

struct MusicBrainzMedium {
    int position = 0;  // 1-based place in the release
    std::string format;
    std::vector<std::string> discIds;  // the disc ids attached to this medium
    std::vector<MusicBrainzTrack> tracks;
};

// One release a lookup found: a candidate for the user to pick.
struct MusicBrainzRelease {
    std::string mbid;  // the release's id: the Cover Art Archive knows its images by it
    std::string title;
    std::string artist;  // the artist credit as one text ("A feat. B")
    std::string date;    // "1991-09-24", "1991" or empty
    std::string country;
    std::string genre;  // the first genre, or empty
    std::vector<MusicBrainzMedium> media;
    // The index in `media` of the medium that holds this disc (its disc id, or for a
    // match by TOC the first medium with the disc's track count); -1 when none does.
    int medium = -1;

    // The date's first four digits, or empty.
    std::string Year() const;
    // "n/m" of the disc's medium in the release, empty for a release of one medium.
    std::string MediumText() const;
    // "artist, title, date, country, medium n/m" with the empty parts left out: a line
    // of a choice list.
    std::string Summary() const;
};

}  // namespace korvida
