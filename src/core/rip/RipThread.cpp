#include "core/rip/RipThread.h"

#include "core/encode/EncoderStage.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/rip/ExtractTrack.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {
void RipThread(RipJob& job) {
    const Settings& settings = job.settings;
    const int format = settings.OutputFormat;
    for (RipJobItem& item : job.items) {
        job.current = &item;
        if (job.progressWindow)
            job.progressWindow->post(WM_ITEM_STATUS, 0, 0, item.name);
        if (job.mainWindow)
            job.mainWindow->post(WM_CURRENT_TRACK, item.index);
        if (!Extract(job, settings)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.aborted)
            break;
        if (format != kOutputWav && !RunEncoderStage(job, format == kOutputOgg)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.aborted)
            break;
    }
    SendJobEnd(job, WM_JOB_DONE);
}

void RunFileJobItems(RipJob& job, const std::function<int(RipJobItem&)>& work) {
    for (RipJobItem& item : job.items) {
        job.current = &item;
        if (job.progressWindow)
            job.progressWindow->send(WM_ITEM_STATUS, 0, 0, item.name);
        if (!work(item)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.aborted)
            break;
    }
    SendJobEnd(job, WM_JOB_DONE);
}

void EncodeFilesThread(RipJob& job) {
    RunFileJobItems(job, [&](RipJobItem& item) {
        // The encoder turns this into the item's elapsed time, as extraction's start does
        // for a rip.
        item.startTick = TickCount();
        return RunEncoderStage(job, job.oggOutput);
    });
}

}  // namespace korvida
