#include "core/text/Translate.h"

#include <libintl.h>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace korvida {
namespace {

constexpr const char* kDomain = "korvida";
std::atomic<Language> g_language{Language::kChinese};

bool Set(const char* value) {
    return value && *value;
}

}  // namespace

std::optional<Language> ParseLanguage(std::string_view word) {
    if (word == "zh")
        return Language::kChinese;
    if (word == "en")
        return Language::kEnglish;
    if (word == "auto") {
        return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                std::getenv("LANG"));
    }
    return std::nullopt;
}

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* locale = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : lang;
    if (Set(locale) && std::strncmp(locale, "zh", 2) == 0)
        return Language::kChinese;
    return Language::kEnglish;
}

void UseLanguage(Language language, const std::string& localeFolder) {
    g_language.store(language, std::memory_order_relaxed);
    if (language == Language::kChinese)
        return;
    // The C library takes the catalogue's language from LANGUAGE, but ignores it under
    // the "C" locale, which is what a bare session or a service has; C.UTF-8 is C in all
    // else.
    setenv("LANGUAGE", "en", 1);
    const char* current = std::setlocale(LC_MESSAGES, nullptr);
    if (!current || std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0)
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    bindtextdomain(kDomain, localeFolder.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
}

Language CurrentLanguage() {
    return g_language.load(std::memory_order_relaxed);
}

const char* Tr(const char* chinese) {
    if (CurrentLanguage() == Language::kChinese || !chinese || !*chinese)
        return chinese;
    return dgettext(kDomain, chinese);
}

std::string Tr(const std::string& chinese) {
    return Tr(chinese.c_str());
}

}  // namespace korvida
