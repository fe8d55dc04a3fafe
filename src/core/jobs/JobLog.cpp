#include "core/jobs/JobLog.h"

#include <string>

#include "core/jobs/JobContext.h"
#include "core/jobs/JobLogLine.h"
#include "core/text/Translate.h"
#include "core/text/Utf8.h"

namespace korvida {

void LogPlain(const JobContext& context, std::string_view text) {
    SendJobLog(context.mainWindow, JobLogLine(StampStyle::kParentheses, text));
}

void LogFormatted(const JobContext& context, std::string_view text) {
    SendJobLog(context.mainWindow, JobLogLine(StampStyle::kSquareBrackets, text));
}

void LogFileError(const JobContext& context, std::string_view path, std::string_view reason) {
    LogPlain(context, Tr("错误: 文件操作错误，错误原因: ") + std::string(path) + ": " +
                          CutUtf8(reason, 255) + Tr("！"));
}

}  // namespace korvida
