#include "core/rip/WriteRipLogIfAsked.h"

#include <ctime>
#include <filesystem>

#include "core/cdrom/CSCSIDriver.h"
#include "core/ini/WriteFileAtomically.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/Messages.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/rip/CueSheetText.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipLogText.h"
#include "core/verify/RipLogSeal.h"

namespace korvida {
namespace {

constexpr const char* kProgram = "Korvida CD Ripper " KORVIDA_VERSION;
// The log and the cue sheet are named after the album, through the naming rule's
// replacement strings and length limit.
constexpr const char* kAlbumRule = "<artist> - <album>";

std::string LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (localtime_r(&now, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string CurrentDriveName(const CSCSIDriver* driver) {
    if (!driver || driver->currentDrive < 0 || driver->currentDrive >= driver->driveCount)
        return {};
    std::string name = DriveName(driver->drives[static_cast<std::size_t>(driver->currentDrive)]);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

// WriteFileAtomically's text names the file first; the job log's file error names it
// itself.
std::string Reason(const std::string& path, const std::string& errorText) {
    const std::string prefix = path + ": ";
    return errorText.compare(0, prefix.size(), prefix) == 0 ? errorText.substr(prefix.size())
                                                            : errorText;
}

}  // namespace

void WriteRipLogIfAsked(RipJob& job, unsigned endMessage) {
    const Settings& settings = job.settings;
    if (!settings.AccurateRipWriteLog || job.fileJob || !job.disc || job.items.empty())
        return;
    const RipEnd end = endMessage == WM_JOB_FAILED ? RipEnd::kFailed
                       : job.context.aborted       ? RipEnd::kCancelled
                                                   : RipEnd::kDone;
    // Beside the first track's file, where the rule put the album; any extension gives
    // the same folder.
    const RipJobItem& first = job.items.front();
    const std::string firstFile = PlannedOutputPath(first, settings.OutputFolder, ".log", settings);
    const std::string folder = std::filesystem::path(firstFile).parent_path().string();
    if (folder.empty())
        return;
    MakeSureDirectoryPathExists(folder);
    const NamingFields fields = NamingFieldsOf(first);
    const std::string logPath =
        PlannedOutputPath(fields, folder, ".log", kAlbumRule, settings.ReplaceStr);
    const std::string cuePath =
        PlannedOutputPath(fields, folder, ".cue", kAlbumRule, settings.ReplaceStr);

    RipLogFacts facts;
    facts.program = kProgram;
    facts.writtenAt = LocalTimeNow();
    facts.driveName = CurrentDriveName(job.driver);
    CueSheet cue;
    if (end != RipEnd::kDone)
        cue.problem = "抓取未完成";
    else
        cue = CueSheetText(job, folder, kProgram);
    std::string error;
    if (cue.problem.empty()) {
        if (WriteFileAtomically(cuePath, cue.text, &error)) {
            job.cueSheetPath = cuePath;
        } else {
            LogFileError(job.context, cuePath, Reason(cuePath, error));
            cue.problem = "不能写入 " + cuePath;
        }
    }
    facts.cueSheet = cue.problem.empty() ? std::filesystem::path(cuePath).filename().string()
                                         : "未写入 (" + cue.problem + ")";

    const std::string log = SealRipLog(RipLogText(job, end, facts));
    if (!WriteFileAtomically(logPath, log, &error)) {
        LogFileError(job.context, logPath, Reason(logPath, error));
        return;
    }
    job.ripLogPath = logPath;
    LogFormatted(job.context, "抓取日志: " + logPath);
}

}  // namespace korvida
