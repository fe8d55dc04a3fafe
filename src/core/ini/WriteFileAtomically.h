#pragma once

#include <string>
#include <string_view>

namespace korvida {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and renames
// it over `path`: readers and a crash see the old file or the new one, never half of one.
// False on any failure (full disk included), with *errorText naming the file and the cause;
// the temporary file is removed and `path` is left as it was.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* errorText = nullptr);

}  // namespace korvida
