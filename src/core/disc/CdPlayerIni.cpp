#include "core/disc/CdPlayerIni.h"

#include <algorithm>
#include <cstdio>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Toc.h"
#include "core/ini/ProfileFile.h"
#include "core/platform/AppHome.h"
#include "core/platform/UserNotifier.h"

namespace korvida {
namespace {

constexpr std::size_t kValueBuffer = 255;

std::string SectionName(std::uint32_t id) {
    char name[16];
    std::snprintf(name, sizeof name, "%x", id);
    return name;
}

// Opens the file and names the disc's section; false when the volume id is unknown.
bool OpenSection(CSCSIDriver& driver, UserNotifier& notifier, ProfileFile& file,
                 std::string* section) {
    std::uint32_t id = 0;
    if (!ReadCdPlayerVolumeId(driver, &id, notifier))
        return false;
    *section = SectionName(id);
    std::string error;
    if (!file.Load(CdPlayerIniPath(), &error)) {
        notifier.ShowMessage(error);
        return false;
    }
    return true;
}

void ImportAlbum(const ProfileFile& file, const std::string& section, TrackInfo& album) {
    const auto take = [&](const char* key, std::string& field) {
        std::string value = file.GetString(section, key, "", kValueBuffer);
        if (!value.empty())
            field = std::move(value);
    };
    take("Artist", album.Artist);
    take("Title", album.Album);
    take("Year", album.Year);
}

}  // namespace

std::string CdPlayerIniPath() {
    return AppHome() + "cdplayer.ini";
}

std::uint32_t CdPlayerVolumeId(const std::uint8_t* msfToc, std::size_t size) {
    // The raw address bytes are summed, so they are taken from the reply itself rather
    // than from LBAs converted back.
    const std::size_t dataEnd = std::min<std::size_t>(size, 2u + (msfToc[0] << 8 | msfToc[1]));
    const int first = msfToc[2];
    const int last = msfToc[3];
    std::uint32_t sum = 0;
    for (int k = 0; k <= last - first && k < 99; ++k) {
        const std::size_t at = 4 + static_cast<std::size_t>(k) * 8;
        if (at + 8 > dataEnd)
            break;
        const std::uint8_t* d = msfToc + at;
        if (d[1] & 0x40)
            continue;
        sum += static_cast<std::uint32_t>(d[4]) << 24 | d[5] << 16 | d[6] << 8 | d[7];
    }
    return sum;
}

bool ReadCdPlayerVolumeId(CSCSIDriver& driver, std::uint32_t* id, UserNotifier& notifier) {
    std::uint8_t toc[DiscInfo::kRawTocSize] = {};
    if (!driver.ReadTOC(toc, 1)) {
        notifier.ShowMessage(Tr(kVolumeIdErrorMessage));
        return false;
    }
    *id = CdPlayerVolumeId(toc, sizeof toc);
    return true;
}

void ImportCdPlayerIni(CSCSIDriver& driver, DiscInfo& disc, TrackList& rows,
                       UserNotifier& notifier) {
    ProfileFile file;
    std::string section;
    if (!OpenSection(driver, notifier, file, &section))
        return;
    ImportAlbum(file, section, disc.album);
    for (int i = 0; i < rows.size() && i < DiscInfo::kMaxTracks; ++i) {
        std::string title = file.GetString(section, std::to_string(i), "", kValueBuffer);
        if (title.empty())
            continue;
        rows.SetTitle(i, title);
        disc.tracks[static_cast<std::size_t>(i)].Title = std::move(title);
    }
}

bool LoadCdPlayerIni(CSCSIDriver& driver, DiscInfo& disc, int trackCount, UserNotifier& notifier) {
    ProfileFile file;
    std::string section;
    if (!OpenSection(driver, notifier, file, &section))
        return false;
    ImportAlbum(file, section, disc.album);
    for (int i = 0; i < trackCount && i < DiscInfo::kMaxTracks; ++i) {
        std::string title = file.GetString(section, std::to_string(i), "", kValueBuffer);
        if (!title.empty())
            disc.tracks[static_cast<std::size_t>(i)].Title = std::move(title);
    }
    return file.HasSection(section);
}

bool ExportCdPlayerIni(CSCSIDriver& driver, const DiscInfo& disc, const TrackList& rows,
                       UserNotifier& notifier) {
    ProfileFile file;
    std::string section;
    if (!OpenSection(driver, notifier, file, &section))
        return false;
    const int n = rows.size();
    file.SetString(section, "EntryType", "1");
    file.SetString(section, "Artist", disc.album.Artist);
    file.SetString(section, "Title", disc.album.Album);
    file.SetInt(section, "NumTracks", n);
    for (int i = 0; i < n && i < DiscInfo::kMaxTracks; ++i)
        file.SetString(section, std::to_string(i), disc.tracks[static_cast<std::size_t>(i)].Title);
    file.SetInt(section, "numplay", n);
    file.SetString(section, "Year", disc.album.Year);
    std::string error;
    if (!file.Save(CdPlayerIniPath(), &error)) {
        notifier.ShowMessage(error);
        return false;
    }
    return true;
}

}  // namespace korvida
