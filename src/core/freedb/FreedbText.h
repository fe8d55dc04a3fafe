#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvida {

// Text helpers for what crosses the border to a freedb server. Inside the program all
// text is UTF-8; servers send UTF-8, GB18030/GBK or ISO-8859-1 depending on their age
// and the protocol level, so reply lines are converted once, here.

// True when `text` is well-formed UTF-8 (no overlongs, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

// One line of a reply as UTF-8: kept when it already is valid UTF-8, else decoded from
// GB18030 when every byte of it decodes, else from ISO-8859-1 (which always decodes).
std::string ReplyLineToUtf8(std::string_view line);

// The longest prefix of `text` of at most `maxBytes` bytes that does not end inside a
// UTF-8 sequence, so that a field cut to its size stays readable text.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// White space as the C library's isspace sees it in the "C" locale.
bool IsFreedbSpace(char c);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

// A value from a reply or for a request line with every control byte (CR, LF, TAB,
// NUL …) replaced by a space: a stray line break in a title would otherwise split a
// local database entry or a submission into lines that were never meant.
std::string WithoutControlBytes(std::string_view text);

}  // namespace korvida
