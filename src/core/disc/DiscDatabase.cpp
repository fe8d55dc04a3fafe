#include "core/disc/DiscDatabase.h"

#include <cstdio>

#include "core/disc/LocalDiscKey.h"
#include "core/ini/ProfileFile.h"
#include "core/platform/AppHome.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/platform/UserNotifier.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

// Text values come back cut to 253 bytes, as they always have.
constexpr std::size_t kValueBuffer = 254;

// The per-track sections in the order they are written. GENRE is the number; the rest
// are text fields of TrackInfo.
struct TrackSection {
    const char* name;
    std::string TrackInfo::*field;  // nullptr for GENRE
};
constexpr TrackSection kTrackSections[] = {
    {"TRACKS", &TrackInfo::Title},
    {"ARTIST", &TrackInfo::Artist},
    {"ALBUM", &TrackInfo::Album},
    {"YEAR", &TrackInfo::Year},
    {"GENRE", nullptr},
    {"COMMENT", &TrackInfo::Comment},
    {"COMPOSER", &TrackInfo::Composer},
    {"COPYRIGHT", &TrackInfo::Copyright},
    {"ENCODEDBY", &TrackInfo::EncodedBy},
    {"ORIGARTIST", &TrackInfo::OrigArtist},
    {"URL", &TrackInfo::URL},
    {"GENREID", &TrackInfo::GenreID},
    {"GENRENAME", &TrackInfo::GenreName},
};

// The album's keys in section DISC, in the order they are written after the revisions.
struct AlbumKey {
    const char* name;
    std::string TrackInfo::*field;
};
constexpr AlbumKey kAlbumKeys[] = {
    {"Artist", &TrackInfo::Artist},
    {"Album", &TrackInfo::Album},
    {"year", &TrackInfo::Year},
    {"GenreID", &TrackInfo::GenreID},
    {"Comment", &TrackInfo::Comment},
    {"COMPOSER", &TrackInfo::Composer},
    {"COPYRIGHT", &TrackInfo::Copyright},
    {"ENCODEDBY", &TrackInfo::EncodedBy},
    {"ORIGARTIST", &TrackInfo::OrigArtist},
    {"URL", &TrackInfo::URL},
    {"GENRENAME", &TrackInfo::GenreName},
};

// The disc's place in a set: keys of ours, absent for a disc of one.
constexpr const char* kDiscNumberKey = "DiscNumber";
constexpr const char* kDiscCountKey = "DiscCount";

std::string TrackKey(int trackIndex) {
    char key[16];
    std::snprintf(key, sizeof key, "%02d", trackIndex + 1);
    return key;
}

}  // namespace

int LeadingNumber(const std::string& text) {
    int value = 0;
    return ParseLeadingInt(text, &value) ? value : 0;
}

std::string DbFolderMessage() {
    return Tr("不能打开目录 ") + AppHome() + Tr("db 。");
}

bool EnsureDbFolder(UserNotifier& notifier) {
    if (MakeSureDirectoryPathExists(AppHome() + "db"))
        return true;
    notifier.ShowMessage(DbFolderMessage());
    return false;
}

bool SaveDiscDatabase(const DiscInfo& disc, const TrackList& rows, UserNotifier& notifier) {
    const DiscToc toc = ReadDiscToc(disc.rawToc.data());
    // Without a disc there is nothing to remember, and no key to file it under.
    if (disc.trackCount == 0 || !toc.ok)
        return true;
    if (!EnsureDbFolder(notifier))
        return false;
    const std::string path = DiscDatabasePath(LocalDiscKey(toc));
    ProfileFile file;
    std::string error;
    if (!file.Load(path, &error)) {
        notifier.ShowMessage(Tr("不能读取唱片信息文件 ") + error);
        return false;
    }
    for (const auto& row : rows.rows()) {
        if (row.trackIndex < 0 || row.trackIndex >= DiscInfo::kMaxTracks)
            continue;
        const TrackInfo& track = disc.tracks[static_cast<std::size_t>(row.trackIndex)];
        const std::string key = TrackKey(row.trackIndex);
        for (const auto& section : kTrackSections) {
            if (section.field)
                file.SetString(section.name, key, track.*section.field);
            else
                file.SetInt(section.name, key, track.Genre);
        }
    }
    file.SetInt("DISC", "Revision", disc.Revision);
    file.SetInt("DISC", "bRevision", disc.bRevision);
    for (const auto& key : kAlbumKeys)
        file.SetString("DISC", key.name, disc.album.*key.field);
    // A set's disc only: the entry of a disc of one stays as it always was.
    if (disc.InSet()) {
        file.SetInt("DISC", kDiscNumberKey, disc.discNumber);
        file.SetInt("DISC", kDiscCountKey, disc.discCount);
    } else {
        file.DeleteKey("DISC", kDiscNumberKey);
        file.DeleteKey("DISC", kDiscCountKey);
    }
    // A lost write would lose the user's titles without a word, so it is told.
    if (!file.Save(path, &error)) {
        notifier.ShowMessage(Tr("不能保存唱片信息 ") + error);
        return false;
    }
    return true;
}

void ReadDiscDatabase(const ProfileFile& file, const DiscToc& toc, DiscInfo& disc) {
    disc.Revision = file.GetInt("DISC", "Revision", 0);
    disc.bRevision = file.GetInt("DISC", "bRevision", 0);
    disc.discNumber = file.GetInt("DISC", kDiscNumberKey, 0);
    disc.discCount = file.GetInt("DISC", kDiscCountKey, 0);
    if (!disc.InSet())
        disc.discNumber = disc.discCount = 0;
    for (const auto& key : kAlbumKeys) {
        std::string& field = disc.album.*key.field;
        field = file.GetString("DISC", key.name, field, kValueBuffer);
    }
    for (std::size_t i = 0; i < toc.tracks.size() && i < disc.tracks.size(); ++i) {
        TrackInfo& track = disc.tracks[i];
        const std::string key = TrackKey(static_cast<int>(i));
        for (const auto& section : kTrackSections) {
            if (!section.field)
                continue;
            std::string& field = track.*section.field;
            field = file.GetString(section.name, key, field, kValueBuffer);
        }
        if (track.Title.empty())
            track.Title = Tr("音轨 ") + std::to_string(toc.tracks[i].tocTrackNumber);
        track.Genre = LeadingNumber(file.GetString("GENRE", key, track.GenreID, kValueBuffer));
    }
}

}  // namespace korvida
