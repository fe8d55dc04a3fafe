// korvida-cli find-offset: the drive's read offset found with a disc the AccurateRip
// database knows, and with --save stored as [CDROM] ReadOffset.
#include <iostream>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "cli/JobProgress.h"
#include "core/jobs/JobParties.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/rip/FindReadOffset.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"

namespace korvida::cli {

int RunFindOffsetCommand(CliContext& context) {
    bool save = false;
    for (const std::string& arg : context.args) {
        if (arg != "--save")
            return UsageError(context, "unknown find-offset option " + arg);
        save = true;
    }
    DiscSession session;
    const int status = OpenDisc(context, session);
    if (status >= 0)
        return status;
    const Settings loaded = TheSettings();

    MessageQueue queue;
    JobParties parties;
    parties.driver = session.selection.driver.get();
    parties.progressWindow = &queue;
    parties.mainWindow = &queue;
    InterruptToEvent interrupt;
    FindOffsetJobHandle job =
        StartFindReadOffset(session.disc, parties.driver, parties, TheSettings());
    if (!job.started())
        return interrupt.interrupted() ? interrupt.exitStatus() : kExitFailed;
    interrupt.Watch(job.cancelEvent());

    ProgressBar bar(context.quiet);
    bar.Caption("正在检测读取偏移");
    bool ended = false;
    const MessageQueue::Handler handle = [&](const Message& m) {
        switch (m.id) {
            case WM_EXTRACT_PROGRESS:
                bar.Progress(static_cast<long>(m.wParam));
                break;
            case WM_JOB_LOG:
                bar.Clear();
                std::cerr << m.text << std::endl;
                break;
            case WM_JOB_DONE:
            case WM_JOB_FAILED:
                bar.Finish();
                ended = true;
                break;
            default:
                break;
        }
    };
    DispatchUntilEnded(
        queue, handle, [&] { return ended; }, [&] { return job.finished(); });
    job.Wait();
    if (interrupt.interrupted())
        return interrupt.exitStatus();
    if (job->outcome != FindOffsetJob::Outcome::kFound) {
        PrintError(FindOffsetOutcomeText(*job));
        return kExitFailed;
    }
    for (const OffsetCandidate& candidate : job->offsets)
        std::cout << FormatText("offset: %+d (tracks %d/%d, confidence %d)", candidate.offset,
                                candidate.tracks, job->tracksCompared, candidate.confidence)
                  << "\n";
    std::cout.flush();
    if (save) {
        Settings settings = loaded;
        settings.ReadOffset = job->offsets.front().offset;
        std::string error;
        if (!SaveSettingsChanges(settings, loaded, SettingsPath(), &error)) {
            PrintError("cannot write " + error);
            return kExitFailed;
        }
        std::cerr << FormatText("[CDROM] ReadOffset=%+d 已保存。", settings.ReadOffset)
                  << std::endl;
    }
    return kExitOk;
}

}  // namespace korvida::cli
