#include "core/batch/EncodeFilesThread.h"

#include <filesystem>
#include <system_error>

#include "core/audio/LoudnessMeter.h"
#include "core/batch/BatchOutputPath.h"
#include "core/batch/RunFileJobItems.h"
#include "core/encode/EncodeTask.h"
#include "core/platform/OutputBase.h"
#include "core/platform/TickCount.h"
#include "core/rip/RipJob.h"

namespace korvida {

EncodeTask PlanFileEncode(RipJobItem& item, const std::string& folder, std::string_view extension) {
    EncodeTask task;
    task.item = &item;
    task.inputPath = item.name;
    task.outputPath = BatchOutputPath(item.name, folder, extension);
    task.outputFolder = folder;
    if (!task.outputPath.empty()) {
        std::error_code ignored;  // a folder that cannot be made fails the stage's open
        std::filesystem::create_directories(OutputBase(folder), ignored);
    }
    return task;
}

void EncodeFilesThread(RipJob& job, const EncoderFormats& encoders) {
    const EncoderFormat& format = FindEncoder(encoders, job.encodeFormat);
    const std::string& folder = job.settings.OutputFolder;
    RunFileJobItems(job, [&](RipJobItem& item, JobContext& context) {
        // The encoder turns this into the item's elapsed time, as extraction's start does
        // for a rip.
        item.startTick = TickCount();
        EncodeTask task = PlanFileEncode(item, folder, format.extension);
        // Track values only: the files of one batch need not be one album.
        LoudnessMeter loudness;
        if (job.settings.ReplayGain)
            task.loudness = &loudness;
        return format.encode(context, task);
    });
}

}  // namespace korvida
