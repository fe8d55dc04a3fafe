// korvida-cli verify-log: whether a rip log is still the text its rip wrote.
#include <cerrno>
#include <iostream>

#include "cli/CliContext.h"
#include "core/ini/ReadRegularFile.h"
#include "core/platform/ErrorText.h"
#include "core/verify/RipLogSeal.h"

namespace korvida::cli {
namespace {

// Far beyond a log of 99 tracks with every sector skipped; anything larger is no log.
constexpr std::size_t kMaxLogBytes = 16 << 20;

}  // namespace

int RunVerifyLogCommand(CliContext& context) {
    std::vector<std::string> operands;
    for (const std::string& arg : context.args) {
        if (arg != "--")
            operands.push_back(arg);
    }
    if (operands.size() != 1)
        return UsageError(context, operands.empty() ? "missing FILE" : "one FILE only");
    const std::string& path = operands.front();
    const RegularFileText file = ReadRegularFile(path, kMaxLogBytes);
    if (file.status != RegularFileText::Status::kRead) {
        PrintError(
            path + ": " +
            (file.status == RegularFileText::Status::kMissing ? ErrorText(ENOENT) : file.reason));
        return kExitUsage;
    }
    switch (CheckRipLogSeal(file.bytes)) {
        case RipLogSealCheck::kIntact:
            std::cout << "ok\n";
            return kExitOk;
        case RipLogSealCheck::kChanged:
            std::cout << "changed\n";
            return kExitFailed;
        case RipLogSealCheck::kNoSeal:
            break;
    }
    PrintError(path + ": no rip log checksum line (not a rip log)");
    return kExitUsage;
}

}  // namespace korvida::cli
