#pragma once

#include <string_view>

namespace korvida {

struct JobContext;

// A job's log lines, to its main window (synchronous, so the line is in the log before the
// worker goes on). Texts of the string table are stamped in parentheses, texts built with
// file names or system texts in square brackets.
void LogPlain(const JobContext& context, std::string_view text);
void LogFormatted(const JobContext& context, std::string_view text);

// "错误: 文件操作错误，错误原因: <path>: <reason>！" for a file that could not be written,
// read, closed or moved into place. The reason is cut to 255 bytes between two
// characters; the file is named whole, since "disk full" alone does not say which disk.
void LogFileError(const JobContext& context, std::string_view path, std::string_view reason);

}  // namespace korvida
