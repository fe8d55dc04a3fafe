#pragma once

#include <memory>

#include "cli/CliContext.h"
#include "core/cdrom/DriveSelection.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/LoadDisc.h"
#include "core/disc/TrackList.h"

namespace korvida::cli {

// What a command that uses a drive holds: the loaded settings (with --drive applied for
// this run), the driver with the selected drive, and the disc with its track list.
struct DiscSession {
    StderrNotifier notifier;
    DriveSelection selection;
    DiscInfo disc;
    TrackList rows;
    DiscLoadResult load;
};

// Loads the settings and the drive table (real drives, then --image files); exit status
// or -1 when the drive is ready.
int OpenDrive(CliContext& context, DiscSession& session);
// OpenDrive, then loads the disc; exit status or -1 when the disc is loaded.
int OpenDisc(CliContext& context, DiscSession& session);

// Loads Settings.ini into TheSettings(); false (with a message) when it cannot be read.
bool LoadSettingsForRun();

}  // namespace korvida::cli
