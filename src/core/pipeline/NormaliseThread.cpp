#include "core/pipeline/NormaliseThread.h"

#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerThread.h"
#include "core/pipeline/Normalisation.h"
#include "core/pipeline/RipJob.h"

namespace korvida {
void NormaliseThread(RipJob& job, int normalizeRatio, const std::string& outputFolder) {
    for (RipJobItem& item : job.items) {
        job.current = &item;
        item.outputPath = item.name;
        item.outputFolder = outputFolder;
        if (job.progressWindow)
            job.progressWindow->send(WM_ITEM_STATUS, 0, 0, item.name);
        if (!NormaliseFile(item.name, job, normalizeRatio)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.aborted) {
            SendJobEnd(job, WM_JOB_DONE);
            return;
        }
    }
    SendJobEnd(job, WM_JOB_DONE);
}

std::thread StartNormaliseJob(RipJob& job, MessageTarget* progressWindow, int threadPriority,
                              int normalizeRatio, std::string outputFolder) {
    if (job.cancelEvent)
        job.cancelEvent->Reset();
    job.progressWindow = progressWindow;
    job.keepWav = true;
    job.fileJob = true;
    job.aborted = false;
    job.current = nullptr;
    return StartWorkerThread(
        [&job, normalizeRatio, folder = std::move(outputFolder)] {
            NormaliseThread(job, normalizeRatio, folder);
        },
        threadPriority);
}

}  // namespace korvida
