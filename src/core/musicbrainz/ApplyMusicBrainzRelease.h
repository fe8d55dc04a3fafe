#pragma once

#include "core/disc/DiscInfo.h"
#include "core/musicbrainz/MusicBrainzRelease.h"

namespace korvida {

// Copies the release's medium that holds the disc into the disc's records, as a freedb
// read is applied: the album's Title, Album, Artist, Year and GenreName, and every
// track's Title, Artist (its own credit, so a various-artists album keeps each track's
// artist), Album, Year and GenreName. The medium's tracks go to the disc's tracks in
// TOC order. A field the release lacks (no date, no genre, no title, a medium given
// without its tracks, a data track beyond the medium's) keeps what the disc had. False,
// and nothing changed, when the release has no medium for this disc (release.note says
// why) or has no title, no artist and no track title for it. The caller stores the disc
// and keeps release.mbid for the cover art.
bool ApplyMusicBrainzRelease(const MusicBrainzRelease& release, DiscInfo& disc);

}  // namespace korvida
