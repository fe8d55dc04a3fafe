#include "core/freedb/ApplyReadResult.h"

#include "core/freedb/FreedbText.h"

namespace korvida {

void SplitDiscTitle(const std::string& discTitle, std::string& artist, std::string& album) {
    const std::size_t slash = discTitle.find('/');
    if (slash != std::string::npos && slash >= 1) {
        artist = std::string(Trim(std::string_view(discTitle).substr(0, slash)));
        album = std::string(Trim(std::string_view(discTitle).substr(slash + 1)));
    } else {
        artist = discTitle;
        album = discTitle;
    }
}

void ApplyAlbumFields(DiscInfo& disc, const std::string& artist, const std::string& album,
                      const std::string& category) {
    disc.album.Title = album;
    disc.album.Artist = artist;
    disc.album.Album = album;
    disc.album.GenreName = category;
    int count = disc.trackCount;
    if (count < 0)
        count = 0;
    if (count > DiscInfo::kMaxTracks)
        count = DiscInfo::kMaxTracks;
    for (int i = 0; i < count; ++i) {
        TrackInfo& track = disc.tracks[static_cast<std::size_t>(i)];
        track.Artist = artist;
        track.Album = album;
        track.GenreName = category;
    }
}

bool ApplyReadResult(FreedbReadResult& result, std::uint32_t revisionWord, DiscInfo& disc) {
    disc.bRevision = static_cast<std::int32_t>(revisionWord & 0xFFFF);
    disc.Revision = static_cast<std::int32_t>(revisionWord >> 16);
    if (result.empty())
        return false;

    if (result.hasDiscTitle) {
        std::string artist, album;
        SplitDiscTitle(result.discTitle, artist, album);
        ApplyAlbumFields(disc, artist, album, result.category);
    } else {
        // Without a DTITLE line the reply says nothing about artist and album: keep what
        // the disc has rather than blanking it, but take the category.
        disc.album.GenreName = result.category;
        for (int i = 0; i < disc.trackCount && i < DiscInfo::kMaxTracks; ++i)
            disc.tracks[static_cast<std::size_t>(i)].GenreName = result.category;
    }

    for (const FreedbTrackTitle& title : result.titles) {
        if (title.index >= 0 && title.index < disc.trackCount && title.index < DiscInfo::kMaxTracks)
            disc.tracks[static_cast<std::size_t>(title.index)].Title = title.title;
    }
    result = FreedbReadResult{};
    return true;
}

void ShowReadTitles(const DiscInfo& disc, TrackList& rows) {
    for (const TrackList::Row& row : rows.rows())
        if (row.trackIndex >= 0 && row.trackIndex < DiscInfo::kMaxTracks)
            rows.SetTitle(row.trackIndex,
                          disc.tracks[static_cast<std::size_t>(row.trackIndex)].Title);
}

}  // namespace korvida
