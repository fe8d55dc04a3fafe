#pragma once

#include <string>
#include <string_view>

#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"

namespace korvida {

// The track list's text commands.

enum class TextCase { kUpper, kLower, kCapitalise };

// Our text is UTF-8, so the case commands work on Unicode letters: upper and lower case
// change every letter that has a case. Capitalise lowers the whole text, then raises
// only a to z at the start and after a blank, '(', '<', '[' or '{'.
std::string ChangeCase(std::string_view text, TextCase change);

// Applies a case command to every row's Title column and to the title of the track the
// row shows.
void ChangeTitleCase(TrackList& rows, DiscInfo& disc, TextCase change);

// The clipboard text of the list: each row's title, two tabs, its length, CR LF.
std::string ClipboardText(const TrackList& rows);

}  // namespace korvida
