#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvida {

// Fixed-format sense data in words: "MEDIUM ERROR, unrecovered read error (03/11/00)",
// with "at LBA n" when the information field is valid.
std::string SenseText(const std::uint8_t* sense, std::size_t length);

}  // namespace korvida
