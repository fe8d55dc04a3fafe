#include "core/batch/DecodeThread.h"

#include "core/batch/BatchOutputPath.h"
#include "core/batch/RunFileJobItems.h"
#include "core/jobs/RipJob.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/platform/OutputBase.h"

namespace korvida {
std::string DecodeOutputPath(const std::string& outputFolder, const std::string& source) {
    return BatchOutputPath(source, outputFolder, ".WAV");
}

void DecodeThread(RipJob& job) {
    const std::string& outputFolder = job.settings.OutputFolder;
    const DecodeOptions options = DecodeOptionsFrom(job.settings);
    // A folder that cannot be made shows up as the output file that cannot be opened.
    if (!OutputBase(outputFolder).empty())
        MakeSureDirectoryPathExists(OutputBase(outputFolder));
    RunFileJobItems(job, [&](RipJobItem& item) {
        item.outputPath = DecodeOutputPath(outputFolder, item.name);
        item.outputFolder = outputFolder;
        return DecodeMp3ToWav(item.name, item.outputPath, job.context, options);
    });
}

}  // namespace korvida
