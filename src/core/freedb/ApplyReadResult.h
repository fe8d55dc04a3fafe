#pragma once

#include <cstdint>
#include <string>

#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/freedb/FreedbRequest.h"

namespace korvida {

// Artist and album of a DTITLE value "Artist / Album": split at the first "/" when it
// is not the first character, each part trimmed; otherwise both are the whole value.
void SplitDiscTitle(const std::string& discTitle, std::string& artist, std::string& album);

// The album-level fields a freedb read or a submission sets: album Title, Artist, Album
// and GenreName, and Artist, Album and GenreName of every track of the disc.
void ApplyAlbumFields(DiscInfo& disc, const std::string& artist, const std::string& album,
                      const std::string& category);

// Copies a read result into the disc. revisionWord is the lParam of
// WM_FREEDB_READ_DONE (revision << 16 | hasRevision); the revision counters are set in
// every case. Titles go to the tracks the disc has (index < trackCount); the caller
// refreshes the track list from the disc. The result is emptied. Returns false when
// the result was empty (the no-match page).
bool ApplyReadResult(FreedbReadResult& result, std::uint32_t revisionWord, DiscInfo& disc);

// After a read was applied: every row shows the title of the track it stands for (after
// a move, a row's position and its track differ).
void ShowReadTitles(const DiscInfo& disc, TrackList& rows);

}  // namespace korvida
