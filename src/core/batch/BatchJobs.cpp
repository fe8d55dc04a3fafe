#include "core/batch/BatchJobs.h"

#include "core/batch/DecodeThread.h"
#include "core/batch/NormaliseThread.h"
#include "core/jobs/WorkerThread.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {

void SetFileJobItems(RipJob& job, const std::vector<std::string>& paths) {
    job.current = nullptr;
    job.items.clear();
    job.items.reserve(paths.size());
    for (const std::string& path : paths) {
        RipJobItem item;
        item.name = path;
        item.index = -1;
        job.items.push_back(std::move(item));
    }
}

std::thread StartFileJob(RipJob& job, FileJobKind kind, MessageTarget* progressWindow,
                         Settings& settings) {
    // The encoders read the process-wide settings; the decode and normalise threads get
    // the values they need now, so a change made while they run does not reach them.
    const int priority = NormalizeThreadPriority(settings.ThreadPriority);
    switch (kind) {
        case FileJobKind::kDecodeMp3:
            return StartDecodeJob(job, progressWindow, priority, settings.OutputFolder,
                                  DecodeOptionsFrom(settings));
        case FileJobKind::kNormaliseWav:
            return StartNormaliseJob(job, progressWindow, priority, settings.NormalizeRatio,
                                     settings.OutputFolder);
        case FileJobKind::kEncodeOgg:
        case FileJobKind::kEncodeMp3: {
            JobParties parties;
            parties.cancelEvent = job.cancelEvent;
            parties.progressWindow = progressWindow;
            parties.mainWindow = job.mainWindow;
            return StartEncodeFilesJob(job, parties, kind == FileJobKind::kEncodeOgg, settings);
        }
    }
    return {};
}

}  // namespace korvida
