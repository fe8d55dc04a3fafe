#include "core/batch/NormaliseThread.h"

#include "core/audio/Normalisation.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerThread.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipThread.h"

namespace korvida {
void NormaliseThread(RipJob& job, int normalizeRatio, const std::string& outputFolder) {
    RunFileJobItems(job, [&](RipJobItem& item) {
        item.outputPath = item.name;  // normalised in place
        item.outputFolder = outputFolder;
        return NormaliseFile(item.name, job, normalizeRatio);
    });
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
