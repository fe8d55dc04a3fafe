#include "core/musicbrainz/MusicBrainzReply.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "core/text/ControlCharacters.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"

namespace korvida {

namespace {

using Json = nlohmann::json;

const Json* Member(const Json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// A string member as it may be stored: control characters made spaces.
std::string Text(const Json& object, const char* key) {
    const Json* value = Member(object, key);
    return value && value->is_string() ? ReplaceControlCharacters(value->get<std::string>())
                                       : std::string();
}

// A title or a name: Text without the spaces at its ends, so a title that held only
// control characters is no title.
std::string Name(const Json& object, const char* key) {
    std::string text = Text(object, key);
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const Json& Array(const Json& object, const char* key) {
    static const Json kEmpty = Json::array();
    const Json* value = Member(object, key);
    return value && value->is_array() ? *value : kEmpty;
}

// A non-negative whole number member, or -1.
long long Count(const Json& object, const char* key) {
    const Json* value = Member(object, key);
    if (!value || !value->is_number_integer())
        return -1;
    const long long number = value->is_number_unsigned()
                                 ? static_cast<long long>(std::min<std::uint64_t>(
                                       value->get<std::uint64_t>(), 1ull << 40))
                                 : value->get<long long>();
    return std::clamp(number, -1ll, 1ll << 40);
}

// An artist credit's names joined by their join phrases: "A feat. B".
std::string CreditText(const Json& credits) {
    std::string text;
    if (!credits.is_array())
        return text;
    for (const Json& credit : credits) {
        std::string name = Name(credit, "name");
        if (name.empty())
            name = Name(Member(credit, "artist") ? *Member(credit, "artist") : Json(), "name");
        text += name + Text(credit, "joinphrase");
    }
    return text;
}

const Json* CreditOf(const Json& object) {
    const Json* credit = Member(object, "artist-credit");
    return credit && credit->is_array() && !credit->empty() ? credit : nullptr;
}

// Genre names and their votes summed, in the order first seen.
using GenreVotes = std::vector<std::pair<std::string, long long>>;

void AddGenres(const Json& entity, GenreVotes& votes) {
    for (const Json& genre : Array(entity, "genres")) {
        std::string name = Name(genre, "name");
        if (name.empty())
            continue;
        const long long count = std::max(Count(genre, "count"), 0ll);
        const auto it = std::find_if(votes.begin(), votes.end(),
                                     [&](const auto& entry) { return entry.first == name; });
        if (it == votes.end())
            votes.emplace_back(std::move(name), count);
        else
            it->second += count;
    }
}

// The genre with the most votes; of equal ones, the first seen.
std::string MostVoted(const GenreVotes& votes) {
    const auto best =
        std::max_element(votes.begin(), votes.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    return best == votes.end() ? std::string() : best->first;
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
        entry.title = Name(track, "title");
        if (entry.title.empty() && recording)
            entry.title = Name(*recording, "title");
        // The track's credit first: it is what the sleeve prints; the recording's when the
        // track has none, the release's when neither has one.
        if (const Json* credit = CreditOf(track))
            entry.artist = CreditText(*credit);
        else if (const Json* credit = recording ? CreditOf(*recording) : nullptr)
            entry.artist = CreditText(*credit);
        else
            entry.artist = releaseArtist;
        // Milliseconds; a track without its own length has its recording's.
        long long length = Count(track, "length");
        if (length < 0 && recording)
            length = Count(*recording, "length");
        entry.lengthMs = static_cast<int>(std::min(length, 1ll << 30));
        result.tracks.push_back(std::move(entry));
    }
    const long long count = Count(medium, "track-count");
    result.trackCount = !result.tracks.empty() || count < 0
                            ? static_cast<int>(result.tracks.size())
                            : static_cast<int>(std::min(count, 1000ll));
    return result;
}

struct MediumChoice {
    int medium = -1;
    std::string note;
};

// How far the medium's lengths are from the disc's in all, in ms: -1 when one is
// further than the tolerance, -2 when the reply gives none of them.
long long LengthDistance(const MusicBrainzMedium& medium, std::span<const int> trackSectors) {
    long long distance = 0;
    bool known = false;
    for (std::size_t i = 0; i < trackSectors.size() && i < medium.tracks.size(); ++i) {
        if (medium.tracks[i].lengthMs < 0)
            continue;
        known = true;
        const long long discMs = static_cast<long long>(trackSectors[i]) * 1000 / 75;
        const long long off = std::llabs(discMs - medium.tracks[i].lengthMs);
        if (off > kTrackLengthToleranceMs)
            return -1;
        distance += off;
    }
    return known ? distance : -2;
}

MediumChoice ChooseMedium(const std::vector<MusicBrainzMedium>& media, const std::string& discId,
                          std::span<const int> trackSectors) {
    for (std::size_t i = 0; i < media.size(); ++i) {
        for (const std::string& id : media[i].discIds) {
            if (id == discId)
                return {static_cast<int>(i), {}};
        }
    }
    // A lookup by TOC names the release, not the medium: a set whose discs have the same
    // number of tracks must be told apart by their lengths.
    const int trackCount = static_cast<int>(trackSectors.size());
    int fitting = -1;
    long long fittingDistance = 0;
    int unknown = -1;
    int unknownCount = 0;
    int sameCount = 0;
    for (std::size_t i = 0; i < media.size(); ++i) {
        if (media[i].trackCount != trackCount)
            continue;
        ++sameCount;
        const long long distance = LengthDistance(media[i], trackSectors);
        if (distance == -2) {
            if (unknownCount++ == 0)
                unknown = static_cast<int>(i);
        } else if (distance >= 0 && (fitting < 0 || distance < fittingDistance)) {
            fitting = static_cast<int>(i);
            fittingDistance = distance;
        }
    }
    if (fitting >= 0)
        return {fitting, {}};
    // Nothing contradicts the one medium whose lengths are not given.
    if (unknownCount == 1)
        return {unknown, {}};
    if (unknownCount > 1)
        return {-1, FormatText(Tr("这个版本有几张 %d 首曲目的碟片，回应中没有曲目长度，"
                                  "无法分辨这张 CD 是哪一张。"),
                               trackCount)};
    if (sameCount > 0)
        return {-1, FormatText(Tr("这个版本中 %d 首曲目的碟片与这张 CD 的曲目长度不符 "
                                  "(相差超过 %d 秒)。"),
                               trackCount, kTrackLengthToleranceMs / 1000)};
    return {-1, FormatText(Tr("这个版本中没有 %d 首曲目的碟片。"), trackCount)};
}

bool HasSomethingToApply(const MusicBrainzRelease& release) {
    if (!release.title.empty() || !release.artist.empty())
        return true;
    for (const MusicBrainzMedium& medium : release.media) {
        for (const MusicBrainzTrack& track : medium.tracks) {
            if (!track.title.empty())
                return true;
        }
    }
    return false;
}

MusicBrainzRelease ReadRelease(const Json& release, const std::string& discId,
                               std::span<const int> trackSectors) {
    MusicBrainzRelease result;
    result.mbid = Text(release, "id");
    result.title = Name(release, "title");
    if (const Json* credit = CreditOf(release))
        result.artist = CreditText(*credit);
    result.date = Text(release, "date");
    result.country = Text(release, "country");
    result.barcode = Text(release, "barcode");
    std::vector<const Json*> mediumJson;
    for (const Json& medium : Array(release, "media")) {
        if (!medium.is_object())
            continue;
        result.media.push_back(ReadMedium(medium, result.artist));
        mediumJson.push_back(&medium);
    }
    MediumChoice choice = ChooseMedium(result.media, discId, trackSectors);
    result.medium = choice.medium;
    result.note = std::move(choice.note);
    if (result.medium >= 0 && result.media[static_cast<std::size_t>(result.medium)].tracks.empty())
        result.note =
            Tr("MusicBrainz 的回应中没有这张碟片的曲目，只套用唱片的标题、艺术家、年份和流派。");

    // Few releases carry genres of their own; their release group more often does. The
    // recordings' votes speak for the album only when neither has any.
    GenreVotes votes;
    AddGenres(release, votes);
    if (const Json* group = Member(release, "release-group"))
        AddGenres(*group, votes);
    if (votes.empty() && result.medium >= 0) {
        for (const Json& track :
             Array(*mediumJson[static_cast<std::size_t>(result.medium)], "tracks")) {
            if (const Json* recording = Member(track, "recording"))
                AddGenres(*recording, votes);
        }
    }
    result.genre = MostVoted(votes);
    return result;
}

MusicBrainzReply Refuse() {
    MusicBrainzReply reply;
    reply.errorText = Tr("MusicBrainz 服务器的回应无法识别。");
    return reply;
}

}  // namespace

MusicBrainzReply ParseMusicBrainzReply(const std::string& json, const std::string& discId,
                                       std::span<const int> trackSectors) {
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
            MusicBrainzRelease entry = ReadRelease(release, discId, trackSectors);
            // Without an id the cover cannot be had and the user cannot tell the entry from
            // another; without any name it would only wipe the names the disc has.
            if (!entry.mbid.empty() && HasSomethingToApply(entry))
                reply.releases.push_back(std::move(entry));
        }
        return reply;
    } catch (const std::exception&) {
        return Refuse();
    }
}

}  // namespace korvida
