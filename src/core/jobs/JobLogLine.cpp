#include "core/jobs/JobLogLine.h"

#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"

namespace korvida {

std::string JobLogTimeStamp(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);  // reentrant: several workers may stamp at once
    char buffer[32] = {};
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(buffer, n);
}

std::string JobLogLine(StampStyle style, std::string_view text, std::time_t when) {
    const bool paren = style == StampStyle::kParentheses;
    std::string line;
    line.reserve(text.size() + 24);
    line += paren ? '(' : '[';
    line += JobLogTimeStamp(when);
    line += paren ? ") " : "] ";
    line += text;
    return line;
}

std::string JobLogLine(StampStyle style, std::string_view text) {
    return JobLogLine(style, text, std::time(nullptr));
}

void SendJobLog(MessageTarget* mainWindow, std::string line) {
    if (mainWindow)
        mainWindow->send(WM_JOB_LOG, 0, 0, std::move(line));
}

}  // namespace korvida
