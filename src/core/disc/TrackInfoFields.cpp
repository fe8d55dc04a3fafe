#include "core/disc/TrackInfoFields.h"

#include <strings.h>

#include "core/ini/ProfileFile.h"
#include "core/text/Translate.h"

namespace korvida {

bool SetTrackInfoField(TrackInfo& info, const std::string& name, const std::string& value,
                       std::string* errorText) {
    static const struct {
        const char* name;
        std::string TrackInfo::*field;
    } kTextFields[] = {
        {"Title", &TrackInfo::Title},
        {"Artist", &TrackInfo::Artist},
        {"Album", &TrackInfo::Album},
        {"Year", &TrackInfo::Year},
        {"Comment", &TrackInfo::Comment},
        {"GenreID", &TrackInfo::GenreID},
        {"GenreName", &TrackInfo::GenreName},
        {"Composer", &TrackInfo::Composer},
        {"OrigArtist", &TrackInfo::OrigArtist},
        {"Copyright", &TrackInfo::Copyright},
        {"URL", &TrackInfo::URL},
        {"EncodedBy", &TrackInfo::EncodedBy},
    };
    for (const auto& f : kTextFields) {
        if (strcasecmp(name.c_str(), f.name) == 0) {
            info.*f.field = value;
            return true;
        }
    }
    if (strcasecmp(name.c_str(), "Genre") == 0) {
        int genre = 0;
        if (ParseLeadingInt(value, &genre) && std::to_string(genre) == value) {
            info.Genre = genre;
            return true;
        }
        if (errorText)
            *errorText = Tr("Genre 必须是数字，而不是 ") + value;
        return false;
    }
    if (errorText)
        *errorText = Tr("未知的字段: ") + name;
    return false;
}

}  // namespace korvida
