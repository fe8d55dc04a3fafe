#include "core/cdrom/DiscCodes.h"

#include <algorithm>

namespace korvida {

namespace {

bool Digit(char c) {
    return c >= '0' && c <= '9';
}
bool Letter(char c) {
    return c >= 'A' && c <= 'Z';
}

}  // namespace

bool IsIsrc(std::string_view text) {
    if (text.size() != 12)
        return false;
    return Letter(text[0]) && Letter(text[1]) &&
           std::all_of(text.begin() + 2, text.begin() + 5,
                       [](char c) { return Letter(c) || Digit(c); }) &&
           std::all_of(text.begin() + 5, text.end(), Digit);
}

bool IsCatalogNumber(std::string_view text) {
    return text.size() == 13 && std::all_of(text.begin(), text.end(), Digit) &&
           text.find_first_not_of('0') != std::string_view::npos;
}

}  // namespace korvida
