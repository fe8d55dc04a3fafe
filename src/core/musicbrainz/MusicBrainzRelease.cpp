#include "core/musicbrainz/MusicBrainzRelease.h"

#include <cctype>

namespace korvida {

std::string MusicBrainzRelease::Year() const {
    if (date.size() < 4)
        return {};
    for (std::size_t i = 0; i < 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(date[i])))
            return {};
    }
    return date.substr(0, 4);
}

std::string MusicBrainzRelease::MediumText() const {
    if (media.size() < 2 || medium < 0 || static_cast<std::size_t>(medium) >= media.size())
        return {};
    return std::to_string(media[static_cast<std::size_t>(medium)].position) + "/" +
           std::to_string(media.size());
}

std::string MusicBrainzRelease::Summary() const {
    std::string line;
    const std::string mediumText = MediumText();
    for (const std::string& part :
         {artist, title, date, country, mediumText.empty() ? mediumText : "medium " + mediumText}) {
        if (part.empty())
            continue;
        if (!line.empty())
            line += ", ";
        line += part;
    }
    return line;
}

}  // namespace korvida
