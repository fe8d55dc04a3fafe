#include "core/batch/OpenDecodedWav.h"

#include <filesystem>
#include <system_error>

#include "core/audio/BinaryFile.h"
#include "core/jobs/JobLog.h"
#include "core/platform/TemporaryFile.h"

namespace korvida {

bool OpenDecodedWav(JobContext& context, const std::string& source, const std::string& output,
                    TemporaryFile& written, BinaryFile& out) {
    std::error_code sameError;
    if (!std::filesystem::equivalent(source, output, sameError)) {
        written = TemporaryFile::CreateBeside(output);
        if (written.owned() && out.Open(written.path(), BinaryFile::Mode::kCreate))
            return true;
    }
    LogFormatted(context, "不能打开输出文件 " + output + "。");
    return false;
}

}  // namespace korvida
