#include "core/text/Utf8.h"

#include <algorithm>

namespace korvida {
namespace {

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Bytes of the sequence a lead byte starts; 0 for a byte that cannot lead one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

}  // namespace

bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const std::size_t length = SequenceLength(byte(i));
    if (length == 0 || i + length > text.size()) {
        ++i;
        return false;
    }
    static constexpr char32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t value = byte(i) & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k) {
        if (!IsContinuation(byte(i + k))) {
            ++i;
            return false;
        }
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += length;
    cp = value;
    return true;
}

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    char32_t cp = 0;
    return DecodeUtf8(text, i, cp) ? cp : 0xFFFD;
}

bool IsValidUtf8(std::string_view text) {
    char32_t cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!DecodeUtf8(text, i, cp))
            return false;
    }
    return true;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    // The cut runs through a character when the first byte left out continues one whose
    // lead byte (at most three bytes back) is kept: leave that character out whole.
    std::size_t end = maxBytes;
    if (IsContinuation(static_cast<unsigned char>(text[end]))) {
        std::size_t lead = end;
        while (lead > 0 && end - lead < 3 && IsContinuation(static_cast<unsigned char>(text[lead])))
            --lead;
        const std::size_t length = SequenceLength(static_cast<unsigned char>(text[lead]));
        if (length > 1 && lead + length > end)
            end = lead;
    }
    return std::string(text.substr(0, end));
}

}  // namespace korvida
