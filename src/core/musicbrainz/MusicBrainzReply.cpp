#include "core/musicbrainz/MusicBrainzReply.h"

#include <nlohmann/json.hpp>

namespace korvida {

namespace {

using Json = nlohmann::json;

const Json* Member(const Json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::string Text(const Json& object, const char* key) {
    const Json* value = Member(object, key);
    return value && value->is_string() ? value->get<std::string>() : std::string();
}

const Json& Array(const Json& object, const char* key) {
    static const Json kEmpty = Json::array();
    const Json* value = Member(object, key);
    return value && value->is_array() ? *value : kEmpty;
}

// An artist credit's names joined by their join phrases: "A feat. B".
std::string CreditText(const Json& credits) {
    std::string text;
    if (!credits.is_array())
        return text;
    for (const Json& credit : credits) {
        std::string name = Text(credit, "name");
        if (name.empty())
            name = Text(Member(credit, "artist") ? *Member(credit, "artist") : Json(), "name");
        text += name + Text(credit, "joinphrase");
    }
    return text;
}

const Json* CreditOf(const Json& object) {
    const Json* credit = Member(object, "artist-credit");
    return credit && credit->is_array() && !credit->empty() ? credit : nullptr;
}

MusicBrainzMedium ReadMedium(const Json& medium, const std::string& releaseArtist) {
    MusicBrainzMedium result;
    if (const Json* position = Member(medium, "position");
        position && position->is_number_integer())
        result.position = position->get<int>();
    result.format = Text(medium, "format");
    for (const Json& disc : Array(medium, "discs")) {
        const std::string id = Text(disc, "id");
        if (!id.empty())
            result.discIds.push_back(id);
    }
    for (const Json& track : Array(medium, "tracks")) {
        if (!track.is_object())
            continue;
        MusicBrainzTrack entry;
        const Json* recording = Member(track, "recording");
        entry.title = Text(track, "title");
        if (entry.title.empty() && recording)
            entry.title = Text(*recording, "title");
        // The track's credit first: it is what the sleeve prints; the recording's when the
        // track has none, the release's when neither has one.
        if (const Json* credit = CreditOf(track))
            entry.artist = CreditText(*credit);
        else if (const Json* credit = recording ? CreditOf(*recording) : nullptr)
            entry.artist = CreditText(*credit);
        else
            entry.artist = releaseArtist;
        result.tracks.push_back(std::move(entry));
    }
    return result;
}

int ChooseMedium(const std::vector<MusicBrainzMedium>& media, const std::string& discId,
                 int trackCount) {
    for (std::size_t i = 0; i < media.size(); ++i) {
        for (const std::string& id : media[i].discIds) {
            if (id == discId)
                return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < media.size(); ++i) {
        if (static_cast<int>(media[i].tracks.size()) == trackCount)
            return static_cast<int>(i);
    }
    return -1;
}

MusicBrainzRelease ReadRelease(const Json& release, const std::string& discId, int trackCount) {
    MusicBrainzRelease result;
    result.mbid = Text(release, "id");
    result.title = Text(release, "title");
    if (const Json* credit = CreditOf(release))
        result.artist = CreditText(*credit);
    result.date = Text(release, "date");
    result.country = Text(release, "country");
    for (const Json& genre : Array(release, "genres")) {
        result.genre = Text(genre, "name");
        if (!result.genre.empty())
            break;
    }
    for (const Json& medium : Array(release, "media")) {
        if (medium.is_object())
            result.media.push_back(ReadMedium(medium, result.artist));
    }
    result.medium = ChooseMedium(result.media, discId, trackCount);
    return result;
}

MusicBrainzReply Refuse() {
    MusicBrainzReply reply;
    reply.errorText = "MusicBrainz 服务器的回应无法识别。";
    return reply;
}

}  // namespace

MusicBrainzReply ParseMusicBrainzReply(const std::string& json, const std::string& discId,
                                       int trackCount) {
    // Without exceptions the parser marks bad text as discarded; the reads below check
    // every type, and the catch is the last guard for anything that slipped through.
    try {
        const Json root = Json::parse(json, nullptr, false);
        if (root.is_discarded() || !root.is_object())
            return Refuse();
        MusicBrainzReply reply;
        reply.ok = true;
        for (const Json& release : Array(root, "releases")) {
            if (!release.is_object())
                continue;
            MusicBrainzRelease entry = ReadRelease(release, discId, trackCount);
            // A release without an id or without the disc's medium cannot be applied.
            if (!entry.mbid.empty() && entry.medium >= 0)
                reply.releases.push_back(std::move(entry));
        }
        return reply;
    } catch (const std::exception&) {
        return Refuse();
    }
}

}  // namespace korvida
