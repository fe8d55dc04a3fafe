// korvida-cli verify: a rip already on disk checked against both databases, in the lines a
// rip prints.
#include <iostream>
#include <memory>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "cli/JobProgress.h"
#include "core/batch/BatchJobs.h"
#include "core/batch/RecheckRip.h"
#include "core/batch/RecheckSource.h"
#include "core/jobs/JobParties.h"
#include "core/jobs/MessageQueue.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "core/verify/VerificationLine.h"
#include "core/verify/VerificationSummary.h"

namespace korvida::cli {
namespace {

bool Compared(const TrackVerification& v) {
    switch (v.outcome) {
        case AccurateRipOutcome::kAccurate:
        case AccurateRipOutcome::kNotAccurate:
        case AccurateRipOutcome::kNotInDatabase:
        case AccurateRipOutcome::kSilent:
            return true;
        default:
            break;
    }
    return v.ctdbOutcome == CtdbOutcome::kAccurate || v.ctdbOutcome == CtdbOutcome::kDiffers ||
           v.ctdbOutcome == CtdbOutcome::kNotInDatabase;
}

}  // namespace

int RunVerifyCommand(CliContext& context) {
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (const std::string& arg : context.args) {
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
            return UsageError(context, "unknown verify option " + arg);
        else
            operands.push_back(arg);
    }
    if (operands.size() != 1)
        return UsageError(context, operands.empty() ? "missing PATH" : "one PATH only");
    if (!LoadSettingsForRun())
        return kExitUsage;
    Settings& settings = TheSettings();

    MessageQueue queue;
    auto job = std::make_unique<RipJob>();
    SetFileJobItems(*job, operands);
    JobParties parties;
    parties.progressWindow = &queue;
    parties.mainWindow = &queue;
    InterruptToEvent interrupt;
    RipJobHandle running = StartFileJob(std::move(job), FileJobKind::kVerifyRip, parties, settings);
    if (!running.started())
        return interrupt.interrupted() ? interrupt.exitStatus() : kExitUsage;
    interrupt.Watch(running.cancelEvent());
    const int result = PumpJobMessages(queue, running, ExpectedRecheckTracks(operands.front()),
                                       context.quiet, false, {}, false, kRecheckCaption);
    running.Wait();
    if (interrupt.interrupted())
        return interrupt.exitStatus();
    if (result != kExitOk)
        return kExitUsage;  // nothing could be checked: the job log said why

    // Exit 0 only when every track is confirmed by one database or the other.
    std::vector<const TrackVerification*> tracks;
    bool anyCompared = false;
    for (const RipJobItem& item : running->items) {
        if (item.outputPath.empty())
            continue;
        std::cout << VerificationLine(running->accurateRip.PositionOf(item.index).track,
                                      item.verification)
                  << "\n";
        tracks.push_back(&item.verification);
        anyCompared = anyCompared || Compared(item.verification);
    }
    const VerificationSummary summary = SummariseVerification(tracks);
    if (!summary.line.empty())
        std::cout << summary.line << "\n";
    std::cout.flush();
    if (!anyCompared)
        return kExitUsage;
    return summary.level == VerificationSummary::Level::kConfirmed ? kExitOk : kExitFailed;
}

}  // namespace korvida::cli
