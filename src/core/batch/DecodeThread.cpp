#include "core/batch/DecodeThread.h"

#include "core/encode/EncodeSteps.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerThread.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipThread.h"

namespace korvida {
std::string DecodeOutputPath(const std::string& outputFolder, const std::string& source) {
    return BatchOutputPath(source, outputFolder, ".WAV");
}

void DecodeThread(RipJob& job, const std::string& outputFolder, const DecodeOptions& options) {
    // A folder that cannot be made shows up as the output file that cannot be opened.
    if (!OutputBase(outputFolder).empty())
        MakeSureDirectoryPathExists(OutputBase(outputFolder));
    RunFileJobItems(job, [&](RipJobItem& item) {
        item.outputPath = DecodeOutputPath(outputFolder, item.name);
        item.outputFolder = outputFolder;
        return DecodeMp3ToWav(item.name, item.outputPath, job, options);
    });
}

std::thread StartDecodeJob(RipJob& job, MessageTarget* progressWindow, int threadPriority,
                           std::string outputFolder, DecodeOptions options) {
    if (job.cancelEvent)
        job.cancelEvent->Reset();
    job.progressWindow = progressWindow;
    job.keepWav = true;
    job.fileJob = true;
    job.oggOutput = false;
    job.aborted = false;
    job.current = nullptr;
    return StartWorkerThread(
        [&job, folder = std::move(outputFolder), options] { DecodeThread(job, folder, options); },
        threadPriority);
}

}  // namespace korvida
