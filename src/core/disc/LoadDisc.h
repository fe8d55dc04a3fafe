#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/cdrom/CSCSIDriver.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/text/Translate.h"

namespace korvida {

class CSCSIDriver;
class UserNotifier;
struct Settings;

// Status line texts of a load that waits for the drive.
inline constexpr const char* kWaitingForDriveStatus = TR_NOOP("正在等待驱动器就绪...");
inline constexpr const char* kNoDiscStatus = TR_NOOP("驱动器中没有光盘");
inline constexpr const char* kDriveNotReadyStatus = TR_NOOP("驱动器没有就绪");
inline constexpr const char* kTrayOpenStatus = TR_NOOP("托盘已打开");
// How long a load waits for a disc that is spinning up.
inline constexpr unsigned kDriveReadyDeadlineMs = 20000;

struct DiscLoadResult {
    bool ok = false;
    std::uint32_t totalSeconds = 0;  // for the time display
    std::uint32_t localKey = 0;
    // Why the load failed ("" when the drive simply gave no TOC: no disc, no message).
    std::string problem;
    // What the drive said before the TOC was asked for: kNoDisc and kNotReady load
    // nothing and tell no one; the status line says it (DriveStateText).
    DriveReadiness readiness = DriveReadiness::kReady;
};

// The status line's words for a load that found no disc or a drive that never became
// ready ("" otherwise), after `deviceStatus` (the "设备: …" text).
std::string DriveStateText(const DiscLoadResult& result, const std::string& deviceStatus);

// Empties every description record: texts empty, Genre 0, the revisions 0.
void ClearDiscDescriptions(DiscInfo& disc);

// Rebuilds the disc model and the track list from the drive: clear, wait for the drive
// (up to kDriveReadyDeadlineMs while it is becoming ready; `status` is given
// kWaitingForDriveStatus then, from the calling thread), stop, READ TOC, the
// local key, the db/ folder, the album defaults, the cdplayer.ini import when
// settings.AutoLoadCDPlayerINI is on, the local database entry, the catalogue number and
// ISRCs, the CD-Text names when neither cdplayer.ini nor the database knows the disc,
// one row per track, the total time, the first row highlighted and every audio track's row
// checked when AutoSelectAll is on. A TOC that contradicts itself is refused: nothing is listed and
// the user is told why.
DiscLoadResult LoadDisc(CSCSIDriver& driver, const Settings& settings, DiscInfo& disc,
                        TrackList& rows, UserNotifier& notifier,
                        const std::function<void(const std::string&)>& status = {});

}  // namespace korvida
