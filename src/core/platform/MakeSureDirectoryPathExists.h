#pragma once

#include <string>

namespace korvida {

// Creates the folder and every missing parent. True when the folder exists afterwards.
// On failure *errorText (when given) says why.
bool MakeSureDirectoryPathExists(const std::string& path, std::string* errorText = nullptr);

}  // namespace korvida
