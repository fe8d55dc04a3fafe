#include "core/disc/TrackListText.h"

#include "core/text/ChangeLetterCase.h"

namespace korvida {

std::string ChangeCase(std::string_view text, TextCase change) {
    switch (change) {
        case TextCase::kUpper:
            return ChangeLetterCase(text, LetterCase::kUpper);
        case TextCase::kLower:
            return ChangeLetterCase(text, LetterCase::kLower);
        case TextCase::kCapitalise:
            break;
    }
    std::string result = ChangeLetterCase(text, LetterCase::kLower);
    // Bytes of a character past ASCII are never a to z nor a word's separator.
    bool wordStart = true;
    for (char& c : result) {
        if (wordStart && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        wordStart = c == ' ' || c == '(' || c == '<' || c == '[' || c == '{';
    }
    return result;
}

void ChangeTitleCase(TrackList& rows, DiscInfo& disc, TextCase change) {
    for (int p = 0; p < rows.size(); ++p) {
        TrackList::Row& row = rows.row(p);
        row.texts[1] = ChangeCase(row.texts[1], change);
        // The row's item data names its track: after a move, position and index differ.
        if (row.trackIndex >= 0 && row.trackIndex < DiscInfo::kMaxTracks) {
            std::string& title = disc.tracks[static_cast<std::size_t>(row.trackIndex)].Title;
            title = ChangeCase(title, change);
        }
    }
}

std::string ClipboardText(const TrackList& rows) {
    std::string text;
    for (const TrackList::Row& row : rows.rows())
        text += row.texts[1] + "\t\t" + row.texts[2] + "\r\n";
    return text;
}

}  // namespace korvida
