#pragma once

#include <string_view>

namespace korvida {

struct RipJob;

// A job's log lines, to its main window (synchronous, so the line is in the log before the
// worker goes on). Texts of the string table are stamped in parentheses, texts built with
// file names or system texts in square brackets.
void LogPlain(RipJob& job, std::string_view text);
void LogFormatted(RipJob& job, std::string_view text);

}  // namespace korvida
