#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace korvida {

class MessageTarget;

// Job-log lines start with the local time. Texts taken from the string table are stamped
// in parentheses, texts built from format strings in square brackets, so a reader of the
// log can tell a fixed message from one that carries file names or system texts.
enum class StampStyle { kParentheses, kSquareBrackets };

// "%Y-%m-%d %H:%M:%S" of `when` in local time.
std::string JobLogTimeStamp(std::time_t when);

// "(2024-05-01 12:00:00) text" or "[2024-05-01 12:00:00] text".
std::string JobLogLine(StampStyle style, std::string_view text, std::time_t when);
std::string JobLogLine(StampStyle style, std::string_view text);

// Sends the line as WM_JOB_LOG (synchronous, so the line is in the log before the worker
// goes on). A null target drops the line: jobs started without a main window, as in
// some tests, still run.
void SendJobLog(MessageTarget* mainWindow, std::string line);

}  // namespace korvida
