#include "core/text/ChangeLetterCase.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <iterator>

#include "core/text/Utf8.h"

namespace korvida {
namespace {

struct SpecialCase {
    char32_t letter;
    const char* mapped;  // UTF-8
};

// The letters whose upper case is more than one letter; the one-to-one mappings come
// from the C library's UTF-8 tables.
constexpr SpecialCase kSpecialUpper[] = {
    {0x00DF, "\x53\x53"},
    {0x0149, "\xCA\xBC\x4E"},
    {0x01F0, "\x4A\xCC\x8C"},
    {0x0390, "\xCE\x99\xCC\x88\xCC\x81"},
    {0x03B0, "\xCE\xA5\xCC\x88\xCC\x81"},
    {0x0587, "\xD4\xB5\xD5\x92"},
    {0x1E96, "\x48\xCC\xB1"},
    {0x1E97, "\x54\xCC\x88"},
    {0x1E98, "\x57\xCC\x8A"},
    {0x1E99, "\x59\xCC\x8A"},
    {0x1E9A, "\x41\xCA\xBE"},
    {0x1F50, "\xCE\xA5\xCC\x93"},
    {0x1F52, "\xCE\xA5\xCC\x93\xCC\x80"},
    {0x1F54, "\xCE\xA5\xCC\x93\xCC\x81"},
    {0x1F56, "\xCE\xA5\xCC\x93\xCD\x82"},
    {0x1F80, "\xE1\xBC\x88\xCE\x99"},
    {0x1F81, "\xE1\xBC\x89\xCE\x99"},
    {0x1F82, "\xE1\xBC\x8A\xCE\x99"},
    {0x1F83, "\xE1\xBC\x8B\xCE\x99"},
    {0x1F84, "\xE1\xBC\x8C\xCE\x99"},
    {0x1F85, "\xE1\xBC\x8D\xCE\x99"},
    {0x1F86, "\xE1\xBC\x8E\xCE\x99"},
    {0x1F87, "\xE1\xBC\x8F\xCE\x99"},
    {0x1F88, "\xE1\xBC\x88\xCE\x99"},
    {0x1F89, "\xE1\xBC\x89\xCE\x99"},
    {0x1F8A, "\xE1\xBC\x8A\xCE\x99"},
    {0x1F8B, "\xE1\xBC\x8B\xCE\x99"},
    {0x1F8C, "\xE1\xBC\x8C\xCE\x99"},
    {0x1F8D, "\xE1\xBC\x8D\xCE\x99"},
    {0x1F8E, "\xE1\xBC\x8E\xCE\x99"},
    {0x1F8F, "\xE1\xBC\x8F\xCE\x99"},
    {0x1F90, "\xE1\xBC\xA8\xCE\x99"},
    {0x1F91, "\xE1\xBC\xA9\xCE\x99"},
    {0x1F92, "\xE1\xBC\xAA\xCE\x99"},
    {0x1F93, "\xE1\xBC\xAB\xCE\x99"},
    {0x1F94, "\xE1\xBC\xAC\xCE\x99"},
    {0x1F95, "\xE1\xBC\xAD\xCE\x99"},
    {0x1F96, "\xE1\xBC\xAE\xCE\x99"},
    {0x1F97, "\xE1\xBC\xAF\xCE\x99"},
    {0x1F98, "\xE1\xBC\xA8\xCE\x99"},
    {0x1F99, "\xE1\xBC\xA9\xCE\x99"},
    {0x1F9A, "\xE1\xBC\xAA\xCE\x99"},
    {0x1F9B, "\xE1\xBC\xAB\xCE\x99"},
    {0x1F9C, "\xE1\xBC\xAC\xCE\x99"},
    {0x1F9D, "\xE1\xBC\xAD\xCE\x99"},
    {0x1F9E, "\xE1\xBC\xAE\xCE\x99"},
    {0x1F9F, "\xE1\xBC\xAF\xCE\x99"},
    {0x1FA0, "\xE1\xBD\xA8\xCE\x99"},
    {0x1FA1, "\xE1\xBD\xA9\xCE\x99"},
    {0x1FA2, "\xE1\xBD\xAA\xCE\x99"},
    {0x1FA3, "\xE1\xBD\xAB\xCE\x99"},
    {0x1FA4, "\xE1\xBD\xAC\xCE\x99"},
    {0x1FA5, "\xE1\xBD\xAD\xCE\x99"},
    {0x1FA6, "\xE1\xBD\xAE\xCE\x99"},
    {0x1FA7, "\xE1\xBD\xAF\xCE\x99"},
    {0x1FA8, "\xE1\xBD\xA8\xCE\x99"},
    {0x1FA9, "\xE1\xBD\xA9\xCE\x99"},
    {0x1FAA, "\xE1\xBD\xAA\xCE\x99"},
    {0x1FAB, "\xE1\xBD\xAB\xCE\x99"},
    {0x1FAC, "\xE1\xBD\xAC\xCE\x99"},
    {0x1FAD, "\xE1\xBD\xAD\xCE\x99"},
    {0x1FAE, "\xE1\xBD\xAE\xCE\x99"},
    {0x1FAF, "\xE1\xBD\xAF\xCE\x99"},
    {0x1FB2, "\xE1\xBE\xBA\xCE\x99"},
    {0x1FB3, "\xCE\x91\xCE\x99"},
    {0x1FB4, "\xCE\x86\xCE\x99"},
    {0x1FB6, "\xCE\x91\xCD\x82"},
    {0x1FB7, "\xCE\x91\xCD\x82\xCE\x99"},
    {0x1FBC, "\xCE\x91\xCE\x99"},
    {0x1FC2, "\xE1\xBF\x8A\xCE\x99"},
    {0x1FC3, "\xCE\x97\xCE\x99"},
    {0x1FC4, "\xCE\x89\xCE\x99"},
    {0x1FC6, "\xCE\x97\xCD\x82"},
    {0x1FC7, "\xCE\x97\xCD\x82\xCE\x99"},
    {0x1FCC, "\xCE\x97\xCE\x99"},
    {0x1FD2, "\xCE\x99\xCC\x88\xCC\x80"},
    {0x1FD3, "\xCE\x99\xCC\x88\xCC\x81"},
    {0x1FD6, "\xCE\x99\xCD\x82"},
    {0x1FD7, "\xCE\x99\xCC\x88\xCD\x82"},
    {0x1FE2, "\xCE\xA5\xCC\x88\xCC\x80"},
    {0x1FE3, "\xCE\xA5\xCC\x88\xCC\x81"},
    {0x1FE4, "\xCE\xA1\xCC\x93"},
    {0x1FE6, "\xCE\xA5\xCD\x82"},
    {0x1FE7, "\xCE\xA5\xCC\x88\xCD\x82"},
    {0x1FF2, "\xE1\xBF\xBA\xCE\x99"},
    {0x1FF3, "\xCE\xA9\xCE\x99"},
    {0x1FF4, "\xCE\x8F\xCE\x99"},
    {0x1FF6, "\xCE\xA9\xCD\x82"},
    {0x1FF7, "\xCE\xA9\xCD\x82\xCE\x99"},
    {0x1FFC, "\xCE\xA9\xCE\x99"},
    {0xFB00, "\x46\x46"},
    {0xFB01, "\x46\x49"},
    {0xFB02, "\x46\x4C"},
    {0xFB03, "\x46\x46\x49"},
    {0xFB04, "\x46\x46\x4C"},
    {0xFB05, "\x53\x54"},
    {0xFB06, "\x53\x54"},
    {0xFB13, "\xD5\x84\xD5\x86"},
    {0xFB14, "\xD5\x84\xD4\xB5"},
    {0xFB15, "\xD5\x84\xD4\xBB"},
    {0xFB16, "\xD5\x8E\xD5\x86"},
    {0xFB17, "\xD5\x84\xD4\xBD"},
};

// The one letter whose lower case is two: capital I with dot above.
constexpr SpecialCase kSpecialLower[] = {{0x0130, "\x69\xCC\x87"}};

// The UTF-8 character tables, whatever locale the program runs in; none when the C
// library lacks them (then only ASCII letters change).
locale_t Utf8Locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    return locale;
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t SimpleCase(char32_t cp, LetterCase to) {
    if (const locale_t locale = Utf8Locale()) {
        const auto wc = static_cast<wint_t>(cp);
        return static_cast<char32_t>(to == LetterCase::kUpper ? towupper_l(wc, locale)
                                                              : towlower_l(wc, locale));
    }
    if (to == LetterCase::kUpper && cp >= U'a' && cp <= U'z')
        return cp - U'a' + U'A';
    if (to == LetterCase::kLower && cp >= U'A' && cp <= U'Z')
        return cp - U'A' + U'a';
    return cp;
}

}  // namespace

std::string ChangeLetterCase(std::string_view text, LetterCase to) {
    const auto begin =
        to == LetterCase::kUpper ? std::begin(kSpecialUpper) : std::begin(kSpecialLower);
    const auto end = to == LetterCase::kUpper ? std::end(kSpecialUpper) : std::end(kSpecialLower);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        char32_t cp = 0;
        if (!DecodeUtf8(text, i, cp)) {
            out += text[start];
            continue;
        }
        const auto special = std::lower_bound(
            begin, end, cp,
            [](const SpecialCase& s, char32_t letter) { return s.letter < letter; });
        if (special != end && special->letter == cp)
            out += special->mapped;
        else
            AppendUtf8(SimpleCase(cp, to), out);
    }
    return out;
}

}  // namespace korvida
