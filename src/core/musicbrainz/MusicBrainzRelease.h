#pragma once

#include <string>
#include <vector>

namespace korvida {

struct MusicBrainzTrack {
    std::string title;
    std::string artist;  // the track's own artist credit, as the release credits it
    int lengthMs = -1;   // -1: the reply gives no length
};

struct MusicBrainzMedium {
    int position = 0;  // 1-based place in the release
    std::string format;
    int trackCount = 0;                // "track-count": the reply may give it without the tracks
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
    std::string barcode;  // UPC/EAN as the release gives it; empty when unknown
    // The most-voted genre of the release and its release group together, else of the
    // recordings on the disc's medium; empty when none has one.
    std::string genre;
    std::vector<MusicBrainzMedium> media;
    // The index in `media` of the medium that holds this disc: the one with its disc id,
    // else the one whose track lengths fit the disc's; -1 when none does (the release is
    // listed, not applied).
    int medium = -1;
    // Chinese. With medium -1, why the release cannot be applied; otherwise what of it
    // cannot (a medium the reply gives without its tracks); empty when all of it can.
    std::string note;

    // The date's first four digits, or empty.
    std::string Year() const;
    // "n/m" of the disc's medium in the release, empty for a release of one medium.
    std::string MediumText() const;
    // "artist, title, date, country, medium n/m" with the empty parts left out: a line
    // of a choice list.
    std::string Summary() const;
};

}  // namespace korvida
