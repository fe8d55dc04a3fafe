#include "core/encode/VorbisComments.h"

#include <cstdio>

#include "core/encode/EncodeItem.h"
#include "core/encode/EncodeTask.h"
#include "core/settings/Settings.h"

namespace korvida {

void AddVorbisComment(std::vector<std::string>& comments, std::string_view key,
                      std::string_view value) {
    if (value.empty())
        return;
    std::string comment(key);
    comment += '=';
    comment += value;
    comments.push_back(std::move(comment));
}

std::vector<std::string> VorbisComments(const EncodeItem& item, const OggVorbisSettings& switches) {
    const TrackInfo& t = item.track;
    std::vector<std::string> comments;
    const auto add = [&](int on, std::string_view key, const std::string& value) {
        if (on)
            AddVorbisComment(comments, key, value);
    };
    add(switches.Title, "TITLE", t.Title);
    add(switches.Artist, "ARTIST", t.Artist);
    add(switches.Album, "ALBUM", t.Album);
    add(switches.Year, "YEAR", t.Year);
    add(switches.Genre, "GENRE", t.GenreName);
    add(switches.Comment, "COMMENT", t.Comment);
    add(switches.Composer, "COMPOSER", t.Composer);
    add(switches.OrigArtist, "ORIGARTIST", t.OrigArtist);
    add(switches.Copyright, "Copyright", t.Copyright);
    add(switches.URL, "URL", t.URL);
    add(switches.EncodedBy, "ENCODED BY", t.EncodedBy);
    if (switches.TrackNo && item.index >= 0) {
        char number[32];
        std::snprintf(number, sizeof number, "TRACKNUMBER=%02d", item.index + 1);
        comments.emplace_back(number);
    }
    AddVorbisComment(comments, "ISRC", item.isrc);
    if (item.discCount > 1) {
        AddVorbisComment(comments, "DISCNUMBER", std::to_string(item.discNumber));
        AddVorbisComment(comments, "DISCTOTAL", std::to_string(item.discCount));
    }
    return comments;
}

std::vector<std::string> TaskComments(const EncodeTask& task, const OggVorbisSettings& switches) {
    std::vector<std::string> comments = VorbisComments(*task.item, switches);
    comments.insert(comments.end(), task.extraComments.begin(), task.extraComments.end());
    return comments;
}

}  // namespace korvida
