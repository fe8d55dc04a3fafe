#include "core/batch/BatchJobs.h"

#include "core/batch/DecodeThread.h"
#include "core/batch/EncodeFilesThread.h"
#include "core/batch/NormaliseThread.h"
#include "core/batch/RecheckRip.h"
#include "core/jobs/JobParties.h"
#include "core/jobs/WorkerThread.h"
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

int EncodeFormatOf(FileJobKind kind) {
    switch (kind) {
        case FileJobKind::kEncodeOgg:
            return kOutputOgg;
        case FileJobKind::kEncodeFlac:
            return kOutputFlac;
        case FileJobKind::kEncodeOpus:
            return kOutputOpus;
        default:
            return kOutputMp3;
    }
}

RipJobHandle StartFileJob(std::unique_ptr<RipJob> job, FileJobKind kind, const JobParties& parties,
                          Settings& settings, EncoderFormats encoders) {
    const int priority = NormalizeThreadPriority(settings.ThreadPriority);
    job->settings = settings;
    job->context.progressWindow = parties.progressWindow;
    job->context.mainWindow = parties.mainWindow;
    job->keepWav = true;  // the source WAV is never deleted
    job->fileJob = true;
    job->encodeFormat = EncodeFormatOf(kind);
    switch (kind) {
        case FileJobKind::kDecodeMp3:
        case FileJobKind::kDecodeFlac:
            return StartJobThread(std::move(job), DecodeThread, priority);
        case FileJobKind::kNormaliseWav:
            return StartJobThread(std::move(job), NormaliseThread, priority);
        case FileJobKind::kVerifyRip:
            return StartJobThread(std::move(job), RecheckRipThread, priority);
        case FileJobKind::kEncodeOgg:
        case FileJobKind::kEncodeMp3:
        case FileJobKind::kEncodeFlac:
        case FileJobKind::kEncodeOpus:
            return StartJobThread(
                std::move(job),
                [encoders = std::move(encoders)](RipJob& record) {
                    EncodeFilesThread(record, encoders);
                },
                priority);
    }
    return {};
}

}  // namespace korvida
