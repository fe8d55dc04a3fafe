#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvida {

// `text` converted between two iconv character sets, or nullopt when any sequence does
// not convert (invalid, incomplete, or without a counterpart) or iconv lacks either set.
// For the borders where text arrives in another set (a disc's CD-Text); inside the
// program text stays UTF-8.
std::optional<std::string> ConvertCharset(std::string_view text, const char* from, const char* to);

// ISO-8859-1 bytes as UTF-8; every byte has a character, so this cannot fail.
std::string Latin1ToUtf8(std::string_view text);

}  // namespace korvida
