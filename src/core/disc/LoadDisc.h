#pragma once

#include <cstdint>
#include <string>

#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"

namespace korvida {

class CSCSIDriver;
class UserNotifier;
struct Settings;

struct DiscLoadResult {
    bool ok = false;
    std::uint32_t totalSeconds = 0;  // for the time display
    std::uint32_t localKey = 0;
    // Why the load failed ("" when the drive simply gave no TOC: no disc, no message).
    std::string problem;
};

// Empties every description record: texts empty, Genre 0, the revisions 0.
void ClearDiscDescriptions(DiscInfo& disc);

// Rebuilds the disc model and the track list from the drive: clear, stop, READ TOC, the
// local key, the db/ folder, the album defaults, the cdplayer.ini import when
// settings.AutoLoadCDPlayerINI is on, the local database entry, the catalogue number and
// ISRCs, the CD-Text names when neither cdplayer.ini nor the database knows the disc,
// one row per track, the total time, the first row highlighted and every row checked when
// AutoSelectAll is on. A TOC that contradicts itself is refused: nothing is listed and the user is
// told why.
DiscLoadResult LoadDisc(CSCSIDriver& driver, const Settings& settings, DiscInfo& disc,
                        TrackList& rows, UserNotifier& notifier);

}  // namespace korvida
