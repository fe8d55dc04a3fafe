#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvida {

// The language of every user-visible text. Chinese is the program's own: its texts are
// the catalogue's message ids, so Chinese needs no catalogue at all.
enum class Language { kChinese, kEnglish };

// The `[Misc] Language` words: "zh", "en", or "auto" (English unless the locale
// variables ask for Chinese). Anything else has no language.
std::optional<Language> ParseLanguage(std::string_view word);
// What "auto" means for these LC_ALL, LC_MESSAGES and LANG values (null: unset), in the
// order the C library reads them.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

// Chooses the language for the rest of the process. Call it once at start, before any
// thread runs and after a Qt application object exists (it resets the locale).
// `localeFolder` holds <lang>/LC_MESSAGES/korvida.mo.
void UseLanguage(Language language, const std::string& localeFolder);
Language CurrentLanguage();

// A user-visible text in the chosen language. `chinese` is the message id; without a
// catalogue entry it comes back unchanged, so a missing translation shows Chinese rather
// than nothing. A printf format stays checked against its arguments through Tr().
const char* Tr(const char* chinese) __attribute__((format_arg(1)));
std::string Tr(const std::string& chinese);

// Marks a text for the catalogue where it stands in a table; Tr() translates it where it
// is shown.
#define TR_NOOP(text) text

}  // namespace korvida
