#pragma once

#include <string>

namespace korvida {

// printf into a std::string of whatever length the result needs. UI texts are UTF-8
// Chinese, three bytes a character, so a fixed buffer sized for the digits would cut
// them: format through this instead.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korvida
