#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvida {

// A command line written as a desktop entry's Exec key, split into its words: blanks
// separate words; a double-quoted part keeps its blanks, and in it a backslash makes the
// next of " ` $ \ literal; outside quotes a backslash makes the next character literal.
// No shell ever sees the words. Field codes are left in them (ExpandFieldCodes). Empty
// when a quote is not closed.
std::optional<std::vector<std::string>> SplitExecLine(const std::string& line);

// The words to run for one file: %f and %u (also inside a word) and %F and %U give the
// file, %% gives '%', every other code (%i, %c, %k, the deprecated ones) gives nothing,
// and a word that was nothing but codes and became empty is dropped. When no code
// asked for the file, it comes last. An empty `file` runs the command without one.
std::vector<std::string> ExpandFieldCodes(const std::vector<std::string>& words,
                                          const std::string& file);

// A desktop entry's string value with its escapes undone (\s \n \t \r \\), as it is
// before its Exec quoting is read.
std::string UnescapeDesktopValue(const std::string& value);

}  // namespace korvida
