#include "core/freedb/FreedbText.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <utility>

#include "core/text/ControlCharacters.h"
#include "core/text/ConvertCharset.h"

namespace korvida {

namespace {

// Decodes `text` from GB18030 into UTF-8; false when any byte sequence is invalid or
// incomplete, so that the caller can fall back to ISO-8859-1.
bool DecodeGb18030(std::string_view text, std::string& out) {
    std::optional<std::string> decoded = ConvertCharset(text, "GB18030", "UTF-8");
    if (!decoded)
        return false;
    out = std::move(*decoded);
    return true;
}

std::string DecodeLatin1(std::string_view text) {
    return Latin1ToUtf8(text);
}

}  // namespace

std::string ReplyLineToUtf8(std::string_view line) {
    if (IsValidUtf8(line))
        return std::string(line);
    std::string decoded;
    if (DecodeGb18030(line, decoded) && IsValidUtf8(decoded))
        return decoded;
    return DecodeLatin1(line);
}

ReplyCharset DetectReplyCharset(std::string_view text) {
    const std::size_t lastBreak = text.rfind('\n');
    if (lastBreak != std::string_view::npos)
        text = text.substr(0, lastBreak + 1);
    if (IsValidUtf8(text))
        return ReplyCharset::kUtf8;
    std::string decoded;
    if (DecodeGb18030(text, decoded) && IsValidUtf8(decoded))
        return ReplyCharset::kGb18030;
    return ReplyCharset::kLatin1;
}

std::string ReplyLineToUtf8(std::string_view line, ReplyCharset charset) {
    switch (charset) {
        case ReplyCharset::kUtf8:
            if (IsValidUtf8(line))
                return std::string(line);
            // A reply cut at the size limit may end inside a character: drop that
            // character rather than read the whole line in another charset.
            for (std::size_t k = 1; k <= 3 && k <= line.size(); ++k) {
                const auto lead = static_cast<std::uint8_t>(line[line.size() - k]);
                if (lead >= 0xC2 && IsValidUtf8(line.substr(0, line.size() - k)))
                    return std::string(line.substr(0, line.size() - k));
            }
            break;
        case ReplyCharset::kGb18030: {
            std::string decoded;
            if (DecodeGb18030(line, decoded) && IsValidUtf8(decoded))
                return decoded;
            break;
        }
        case ReplyCharset::kLatin1:
            return DecodeLatin1(line);
    }
    return ReplyLineToUtf8(line);
}

bool IsFreedbSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number at the start of `text` the way "%d" reads it (blanks, sign, digits);
// false when there are no digits. Values past the int range saturate.
bool ReadFreedbInt(std::string_view text, long long& value) {
    std::size_t i = 0;
    while (i < text.size() && IsFreedbSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
        return false;
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (v < INT_MAX)
            v = v * 10 + (text[i] - '0');
    }
    if (v > INT_MAX)
        v = INT_MAX;
    value = negative ? -v : v;
    return true;
}

std::string_view TrimLeft(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsFreedbSpace(text[i]))
        ++i;
    return text.substr(i);
}

std::string_view TrimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && IsFreedbSpace(text[n - 1]))
        --n;
    return text.substr(0, n);
}

std::string_view Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

std::string WithoutControlBytes(std::string_view text) {
    return ReplaceControlCharacters(text);
}

}  // namespace korvida
