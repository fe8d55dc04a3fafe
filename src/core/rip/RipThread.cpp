#include "core/rip/RipThread.h"

#include "core/encode/EncodeTask.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/RipJob.h"
#include "core/rip/ExtractTrack.h"
#include "core/rip/OutputPath.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

// The encoder's part of the current item: the temporary WAV extraction left, and the
// file the naming rule gives in the output folder (its folders made here).
int Encode(RipJob& job, const EncoderFormat& format) {
    RipJobItem& item = *job.current;
    EncodeTask task;
    task.item = &item;
    task.inputPath = job.tempWavPath;
    task.deleteInput = !job.keepWav;
    task.outputFolder = job.settings.OutputFolder;
    task.outputPath = OutputPath(item, task.outputFolder, format.extension, job.settings);
    task.coverArt = job.coverArt;
    return format.encode(job.context, task);
}

}  // namespace

void RipThread(RipJob& job, const EncoderFormats& encoders) {
    const Settings& settings = job.settings;
    const int format = settings.OutputFormat;
    for (RipJobItem& item : job.items) {
        job.current = &item;
        if (job.context.progressWindow)
            job.context.progressWindow->post(WM_ITEM_STATUS, 0, 0, item.name);
        if (job.context.mainWindow)
            job.context.mainWindow->post(WM_CURRENT_TRACK, item.index);
        if (!Extract(job, settings)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.context.aborted)
            break;
        if (format != kOutputWav && !Encode(job, FindEncoder(encoders, format))) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.context.aborted)
            break;
    }
    SendJobEnd(job, WM_JOB_DONE);
}

}  // namespace korvida
