#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvida {

// Standard Base64 (RFC 2045 alphabet, "=" padding, no line breaks) of `in`.
std::string Base64Encode(std::string_view in);

// Length of the Base64 form of `length` bytes.
constexpr std::size_t Base64Length(std::size_t length) {
    return (length + 2) / 3 * 4;
}

}  // namespace korvida
