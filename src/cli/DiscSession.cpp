#include "cli/DiscSession.h"

#include "core/settings/Settings.h"

namespace korvida::cli {

bool LoadSettingsForRun() {
    std::string error;
    if (LoadSettings(TheSettings(), SettingsPath(), &error))
        return true;
    PrintError("cannot read " + error);
    return false;
}

int OpenDrive(CliContext& context, DiscSession& session) {
    if (!LoadSettingsForRun())
        return kExitFailed;
    Settings& settings = TheSettings();
    if (context.drive >= 0)
        settings.CDROMDriver = context.drive;
    DriveSources sources;
    sources.images = SplitImageList(settings.Images);
    sources.images.insert(sources.images.end(), context.images.begin(), context.images.end());
    // --drive names the drive; without it the last --image is the one used.
    if (!context.images.empty() && context.drive < 0)
        sources.selectImage = context.images.back();
    session.selection = CreateAndSelectDriver(settings, std::move(sources), session.notifier);
    if (!session.selection.ok) {
        PrintError(session.selection.statusText);
        return kExitFailed;
    }
    if (context.drive >= session.selection.driver->driveCount) {
        PrintError("no drive " + std::to_string(context.drive) + " (see korvida-cli drives)");
        return kExitUsage;
    }
    return -1;
}

int OpenDisc(CliContext& context, DiscSession& session) {
    const int status = OpenDrive(context, session);
    if (status >= 0)
        return status;
    session.load = LoadDisc(*session.selection.driver, TheSettings(), session.disc, session.rows,
                            session.notifier);
    if (!session.load.ok) {
        const std::string state = DriveStateText(session.load, session.selection.statusText);
        // A refused TOC has been told already; no TOC at all is told here.
        if (!state.empty())
            PrintError(state);
        else if (session.load.problem.empty())
            PrintError("no disc in " + session.selection.statusText);
        return kExitFailed;
    }
    return -1;
}

}  // namespace korvida::cli
