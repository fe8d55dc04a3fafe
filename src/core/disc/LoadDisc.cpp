#include "core/disc/LoadDisc.h"

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/CdTextPack.h"
#include "core/disc/ApplyCdText.h"
#include "core/disc/CdPlayerIni.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/DiscToc.h"
#include "core/disc/LocalDiscKey.h"
#include "core/disc/ReadCdText.h"
#include "core/disc/ReadDiscCodes.h"
#include "core/ini/ProfileFile.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"

namespace korvida {

void ClearDiscDescriptions(DiscInfo& disc) {
    disc.album = TrackInfo{};
    for (auto& track : disc.tracks)
        track = TrackInfo{};
    disc.Revision = 0;
    disc.bRevision = 0;
    disc.discNumber = 0;
    disc.discCount = 0;
}

std::string DriveStateText(const DiscLoadResult& result, const std::string& deviceStatus) {
    if (result.readiness == DriveReadiness::kNoDisc)
        return deviceStatus + Tr(kNoDiscStatus);
    if (result.readiness == DriveReadiness::kNotReady)
        return deviceStatus + Tr(kDriveNotReadyStatus);
    return {};
}

DiscLoadResult LoadDisc(CSCSIDriver& driver, const Settings& settings, DiscInfo& disc,
                        TrackList& rows, UserNotifier& notifier,
                        const std::function<void(const std::string&)>& status) {
    DiscLoadResult result;
    rows.Clear();
    ClearDiscDescriptions(disc);
    disc.trackCount = 0;
    disc.trackRanges = {};
    disc.catalog.clear();
    disc.isrc.fill({});

    // A disc just put in spins up for seconds; a disc change is news, not a failure.
    result.readiness = driver.WaitUntilReady(kDriveReadyDeadlineMs, [&] {
        if (status)
            status(Tr(kWaitingForDriveStatus));
    });
    if (result.readiness != DriveReadiness::kReady)
        return result;

    driver.Stop();
    disc.rawToc.fill(0);
    if (!driver.ReadTOC(disc.rawToc.data(), 0))
        return result;  // no disc: no message

    const DiscToc toc = ReadDiscToc(disc.rawToc.data());
    if (!toc.ok) {
        result.problem = Tr("光盘目录表无效: ") + toc.problem;
        notifier.ShowMessage(result.problem);
        return result;
    }
    result.localKey = LocalDiscKey(toc);
    if (!EnsureDbFolder(notifier)) {
        result.problem = DbFolderMessage();
        return result;
    }

    disc.album.Title = Tr("所有音轨");
    disc.album.Genre = 0;
    const int count = static_cast<int>(toc.tracks.size());
    const bool inCdPlayerIni =
        settings.AutoLoadCDPlayerINI && LoadCdPlayerIni(driver, disc, count, notifier);

    ProfileFile database;
    database.Load(DiscDatabasePath(result.localKey));  // unreadable: nothing is known
    ReadDiscDatabase(database, toc, disc);
    ReadDiscCodes(driver, toc, disc);
    // A disc the user has named keeps those names; one nobody named takes the disc's
    // own. Nothing is stored for it until the user saves, as after any load.
    // The block in the interface's language first: the interface is Chinese.
    if (!inCdPlayerIni && database.Sections().empty())
        ApplyCdText(ReadCdText(driver, cdtext::kLanguageChinese), toc, disc);

    for (int i = 0; i < count; ++i) {
        const DiscTocTrack& track = toc.tracks[static_cast<std::size_t>(i)];
        const std::uint32_t frames = track.end - track.start;
        TrackList::Row row;
        row.trackIndex = i;
        // A data track is listed like any other, but no rip reads it.
        row.checked = settings.AutoSelectAll && !track.data;
        row.texts = {FormatTrackNumber(i), disc.tracks[static_cast<std::size_t>(i)].Title,
                     FormatTrackLength(frames), FormatTrackSize(frames)};
        rows.AddRow(std::move(row));
        disc.trackRanges[static_cast<std::size_t>(i)] = {track.start, track.end};
        ++disc.trackCount;
    }
    result.totalSeconds = (toc.leadout - toc.tracks.front().start) / 75;
    rows.HighlightOnly(0);
    result.ok = true;
    return result;
}

}  // namespace korvida
