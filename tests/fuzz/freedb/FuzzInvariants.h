#pragma once

#include <string>

#include "core/freedb/FreedbText.h"

namespace korvida::fuzz {

// What every parsed field must be, whatever the server sent: UTF-8 text without control
// bytes, shorter than its buffer.
inline void CheckField(const std::string& text, std::size_t size) {
    if (text.size() >= size || !IsValidUtf8(text))
        __builtin_trap();
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            __builtin_trap();
    }
}

}  // namespace korvida::fuzz
