#include "core/text/ConvertCharset.h"

#include <iconv.h>

#include <cstdint>
#include <memory>

namespace korvida {

namespace {

struct IconvCloser {
    void operator()(void* cd) const { ::iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

std::optional<std::string> ConvertCharset(std::string_view text, const char* from, const char* to) {
    iconv_t opened = ::iconv_open(to, from);
    if (opened == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::unique_ptr<void, IconvCloser> cd(opened);
    // Four output bytes per input byte covers UTF-8 from any double-byte set and any
    // single-byte set from UTF-8; the state flush at the end needs a few more.
    std::string buffer(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    if (::iconv(opened, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 ||
        ::iconv(opened, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    buffer.resize(buffer.size() - outLeft);
    return buffer;
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char ch : text) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

}  // namespace korvida
