#include "core/batch/DecodeThread.h"

#include <cctype>
#include <string_view>

#include "core/batch/BatchOutputPath.h"
#include "core/batch/DecodeFlacToWav.h"
#include "core/batch/RunFileJobItems.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/platform/OutputBase.h"
#include "core/rip/RipJob.h"

namespace korvida {
namespace {

bool IsFlacName(const std::string& path) {
    constexpr std::string_view kFlac = ".flac";
    if (path.size() < kFlac.size())
        return false;
    for (std::size_t i = 0; i < kFlac.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - kFlac.size() + i])) !=
            kFlac[i])
            return false;
    return true;
}

}  // namespace

std::string DecodeOutputPath(const std::string& outputFolder, const std::string& source) {
    return BatchOutputPath(source, outputFolder, ".WAV");
}

void DecodeThread(RipJob& job) {
    const std::string& outputFolder = job.settings.OutputFolder;
    const DecodeOptions options = DecodeOptionsFrom(job.settings);
    // A folder that cannot be made shows up as the output file that cannot be opened.
    if (!OutputBase(outputFolder).empty())
        MakeSureDirectoryPathExists(OutputBase(outputFolder));
    RunFileJobItems(job, [&](RipJobItem& item, JobContext& context) {
        item.outputPath = DecodeOutputPath(outputFolder, item.name);
        item.outputFolder = outputFolder;
        // A FLAC archive comes back as it was ripped: never normalised.
        if (IsFlacName(item.name))
            return DecodeFlacToWav(item.name, item.outputPath, context);
        return DecodeMp3ToWav(item.name, item.outputPath, context, options);
    });
}

}  // namespace korvida
