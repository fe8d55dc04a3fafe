#include "core/text/ControlCharacters.h"

#include <cstdint>

namespace korvida {

std::string ReplaceControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        if (b < 0x20 || b == 0x7F) {
            out += ' ';
        } else if (b == 0xC2 && i + 1 < text.size() &&
                   (static_cast<std::uint8_t>(text[i + 1]) & 0xE0) == 0x80) {
            out += ' ';  // C2 80 … C2 9F: one C1 character in two bytes
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace korvida
