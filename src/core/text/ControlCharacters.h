#pragma once

#include <string>
#include <string_view>

namespace korvida {

// `text` (UTF-8) with every control character replaced by one space: C0 (U+0000–U+001F),
// DEL (U+007F) and C1 (U+0080–U+009F, the bytes C2 80 … C2 9F). A name from a server
// goes through this before it is stored or named in a path: a NUL would cut the path
// where the file system reads it, a line break would split a database line, and C1
// characters are invisible. A space, not nothing, so the words on either side stay apart.
// Bytes that are not UTF-8 are kept as they are.
std::string ReplaceControlCharacters(std::string_view text);

}  // namespace korvida
