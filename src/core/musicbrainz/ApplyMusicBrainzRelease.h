#pragma once

#include "core/disc/DiscInfo.h"
#include "core/musicbrainz/MusicBrainzRelease.h"

namespace korvida {

// Copies the release's medium that holds the disc into the disc's records, as a freedb
// read is applied: the album's Title, Album, Artist, Year and GenreName, and every
// track's Title, Artist (its own credit, so a various-artists album keeps each track's
// artist), Album, Year and GenreName. The medium's tracks go to the disc's tracks in
// TOC order; tracks beyond the medium's (a data track) keep their fields. A release
// without a date or genre leaves Year or GenreName as they were. False when the release
// has no medium for this disc (nothing is changed). The caller stores the disc and keeps
// release.mbid for the cover art.
bool ApplyMusicBrainzRelease(const MusicBrainzRelease& release, DiscInfo& disc);

}  // namespace korvida
