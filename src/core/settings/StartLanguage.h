#pragma once

#include <string>

#include "core/text/Translate.h"

namespace korvida {

// The language a run starts in: `[Misc] Language` of the settings file at `path`, Chinese
// when the file is missing or unreadable (the program's own texts, as before the setting).
Language StartLanguage(const std::string& path);

}  // namespace korvida
