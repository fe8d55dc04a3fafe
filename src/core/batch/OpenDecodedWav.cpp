#include "core/batch/OpenDecodedWav.h"

#include <filesystem>
#include <system_error>

#include "core/audio/BinaryFile.h"
#include "core/jobs/JobLog.h"
#include "core/platform/TemporaryFile.h"
#include "core/text/Translate.h"

namespace korvida {

bool OpenDecoderInput(JobContext& context, const std::string& source, BinaryFile& in) {
    if (in.Open(source, BinaryFile::Mode::kReadRegular))
        return true;
    if (in.notRegular())
        LogFormatted(context, Tr("不能打开输入文件 ") + source + Tr("：它不是普通文件。"));
    else
        LogFormatted(context, Tr("不能打开输入文件 ") + source + Tr("。"));
    return false;
}

bool OpenDecodedWav(JobContext& context, const std::string& source, const std::string& output,
                    TemporaryFile& written, BinaryFile& out) {
    std::error_code sameError;
    if (!std::filesystem::equivalent(source, output, sameError)) {
        written = TemporaryFile::CreateBeside(output);
        if (written.owned() && out.Open(written.path(), BinaryFile::Mode::kCreate))
            return true;
    }
    LogFormatted(context, Tr("不能打开输出文件 ") + output + Tr("。"));
    return false;
}

}  // namespace korvida
