#pragma once

#include <string>
#include <string_view>

namespace korvida {

enum class LetterCase { kUpper, kLower };

// Every letter of UTF-8 text in upper or lower case, by Unicode's full mapping: a letter
// may become several ("straße" → "STRASSE"). Bytes that are no UTF-8 stay as they are.
std::string ChangeLetterCase(std::string_view text, LetterCase to);

}  // namespace korvida
