#include "core/settings/StartLanguage.h"

#include "core/settings/Settings.h"

namespace korvida {

Language StartLanguage(const std::string& path) {
    Settings settings;
    std::string error;
    if (!LoadSettings(settings, path, &error))
        return Language::kChinese;
    return ParseLanguage(settings.Language).value_or(Language::kChinese);
}

}  // namespace korvida
