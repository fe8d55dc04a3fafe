#pragma once

#include <string>

namespace korvida {

// Creates an empty, unique file "PWxxxxxx.tmp" in `folder` and returns its path; the
// caller owns (and eventually deletes) the file. Empty on failure, with *errorText set.
std::string TempFileName(const std::string& folder, std::string* errorText = nullptr);

}  // namespace korvida
