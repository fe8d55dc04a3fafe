#include "core/rip/RipJobLog.h"

#include "core/jobs/JobLogLine.h"
#include "core/rip/RipJob.h"

namespace korvida {

void LogPlain(RipJob& job, std::string_view text) {
    SendJobLog(job.mainWindow, JobLogLine(StampStyle::kParentheses, text));
}

void LogFormatted(RipJob& job, std::string_view text) {
    SendJobLog(job.mainWindow, JobLogLine(StampStyle::kSquareBrackets, text));
}

}  // namespace korvida
