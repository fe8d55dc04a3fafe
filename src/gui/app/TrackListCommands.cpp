#include "gui/app/TrackListCommands.h"

namespace korvida::gui {

QString ChangeCase(const QString& text, TextCase change) {
    switch (change) {
        case TextCase::kUpper:
            return text.toUpper();
        case TextCase::kLower:
            return text.toLower();
        case TextCase::kCapitalise:
            break;
    }
    QString result = text.toLower();
    bool wordStart = true;
    for (QChar& c : result) {
        if (wordStart && c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
        wordStart = c == u' ' || c == u'(' || c == u'<' || c == u'[' || c == u'{';
    }
    return result;
}

void ChangeTitleCase(TrackList& rows, DiscInfo& disc, TextCase change) {
    for (int p = 0; p < rows.size(); ++p) {
        TrackList::Row& row = rows.row(p);
        row.texts[1] = ChangeCase(QString::fromStdString(row.texts[1]), change).toStdString();
        // The row's item data names its track: after a move, position and index differ.
        if (row.trackIndex >= 0 && row.trackIndex < DiscInfo::kMaxTracks) {
            std::string& title = disc.tracks[static_cast<std::size_t>(row.trackIndex)].Title;
            title = ChangeCase(QString::fromStdString(title), change).toStdString();
        }
    }
}

std::string ClipboardText(const TrackList& rows) {
    std::string text;
    for (const TrackList::Row& row : rows.rows())
        text += row.texts[1] + "\t\t" + row.texts[2] + "\r\n";
    return text;
}

}  // namespace korvida::gui
