#include "core/rip/RipJobLog.h"

#include "core/jobs/JobLogLine.h"
#include "core/rip/RipJob.h"
#include "core/text/Utf8.h"

namespace korvida {

void LogPlain(RipJob& job, std::string_view text) {
    SendJobLog(job.mainWindow, JobLogLine(StampStyle::kParentheses, text));
}

void LogFormatted(RipJob& job, std::string_view text) {
    SendJobLog(job.mainWindow, JobLogLine(StampStyle::kSquareBrackets, text));
}

void LogFileError(RipJob& job, std::string_view path, std::string_view reason) {
    LogPlain(job, "错误: 文件操作错误，错误原因: " + std::string(path) + ": " +
                      CutUtf8(reason, 255) + "！");
}

}  // namespace korvida
