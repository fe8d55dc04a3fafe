#include "core/rip/OutputNameClashes.h"

#include <map>

#include "core/encode/EncoderFormats.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

// A rule that gives all 99 tracks one name is one line; beyond this many lines the rest
// would only push the advice out of the message box.
constexpr std::size_t kMaxListedClashes = 10;

}  // namespace

std::string_view RipOutputExtension(int outputFormat) {
    if (outputFormat == kOutputWav)
        return ".WAV";
    return FindEncoder(BuiltInEncoders(), outputFormat).extension;
}

std::vector<OutputNameClash> FindOutputNameClashes(const RipJob& job) {
    const std::string_view extension = RipOutputExtension(job.settings.OutputFormat);
    std::vector<OutputNameClash> groups;
    std::map<std::string, std::size_t> groupOf;
    for (const RipJobItem& item : job.items) {
        std::string path =
            PlannedOutputPath(item, job.settings.OutputFolder, extension, job.settings);
        // No folder, no file: every item fails on its own when it is opened.
        if (path.empty())
            continue;
        const auto [at, added] = groupOf.emplace(path, groups.size());
        if (added)
            groups.push_back(OutputNameClash{std::move(path), {}});
        groups[at->second].trackNumbers.push_back(item.index + 1);
    }
    std::vector<OutputNameClash> clashes;
    for (OutputNameClash& group : groups)
        if (group.trackNumbers.size() > 1)
            clashes.push_back(std::move(group));
    return clashes;
}

std::string OutputNameClashMessage(std::string_view rule,
                                   const std::vector<OutputNameClash>& clashes) {
    std::string text = "命名规则 " + std::string(rule) +
                       " 使几首音轨得到同一个文件名，后抓取的会覆盖先抓取的。抓取没有开始:";
    for (std::size_t i = 0; i < clashes.size(); ++i) {
        if (i == kMaxListedClashes) {
            text += "\n……";
            break;
        }
        text += "\n音轨 ";
        for (std::size_t k = 0; k < clashes[i].trackNumbers.size(); ++k) {
            if (k > 0)
                text += "、";
            text += std::to_string(clashes[i].trackNumbers[k]);
        }
        text += " → " + clashes[i].path;
    }
    text += "\n请在命名规则中加入 <number>，使每首音轨的文件名不同。";
    return text;
}

}  // namespace korvida
