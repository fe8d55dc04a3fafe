#include "core/batch/DecodeThread.h"

#include "core/encode/EncodeSteps.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipThread.h"

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
        return DecodeMp3ToWav(item.name, item.outputPath, job, options);
    });
}

}  // namespace korvida
