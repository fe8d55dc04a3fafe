#include "core/text/Base64Encode.h"

#include <cstdint>

namespace korvida {

std::string Base64Encode(std::string_view in) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(Base64Length(in.size()));
    std::size_t i = 0;
    for (; i + 3 <= in.size(); i += 3) {
        const std::uint32_t v = (std::uint32_t{static_cast<std::uint8_t>(in[i])} << 16) |
                                (std::uint32_t{static_cast<std::uint8_t>(in[i + 1])} << 8) |
                                std::uint32_t{static_cast<std::uint8_t>(in[i + 2])};
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = in.size() - i;
    if (rest > 0) {
        std::uint32_t v = std::uint32_t{static_cast<std::uint8_t>(in[i])} << 16;
        if (rest == 2)
            v |= std::uint32_t{static_cast<std::uint8_t>(in[i + 1])} << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace korvida
