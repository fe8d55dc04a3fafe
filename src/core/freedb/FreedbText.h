#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/Utf8.h"

namespace korvida {

// Text helpers for what crosses the border to a freedb server. Inside the program all
// text is UTF-8; servers send UTF-8, GB18030/GBK or ISO-8859-1 depending on their age
// and the protocol level, so reply lines are converted once, here.

// The charset of a reply text: UTF-8 when it is valid UTF-8, else GB18030 when every
// byte of it decodes, else ISO-8859-1 (which always decodes). One server answer is in one
// charset, so the decision is made once for the whole text: a single Latin-1 line such as
// "Forår" would pass for GB18030 on its own. An unterminated last line (a reply cut at
// the size limit may end inside a character) does not take part in the decision.
enum class ReplyCharset { kUtf8, kGb18030, kLatin1 };
ReplyCharset DetectReplyCharset(std::string_view text);

// One line of a reply as UTF-8, decoded from `charset`; a line that does not decode in it
// (the cut last line) falls back to the guess of the line alone.
std::string ReplyLineToUtf8(std::string_view line, ReplyCharset charset);

// One line alone: kept when valid UTF-8, else GB18030 when it decodes cleanly, else
// ISO-8859-1.
std::string ReplyLineToUtf8(std::string_view line);

// White space as the C library's isspace sees it in the "C" locale.
bool IsFreedbSpace(char c);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

// The number at the start of `text` the way "%d" reads it (white space, sign, digits);
// false, and `value` untouched, when there are no digits. Values past the int range
// saturate.
bool ReadFreedbInt(std::string_view text, long long& value);

// A value from a reply or for a request line with every control character (CR, LF,
// TAB, NUL …, and the C1 characters a Latin-1 reply decodes to) replaced by a space, the
// rule every name from a server follows: a stray line break in a title would otherwise
// split a local database entry or a submission into lines that were never meant.
std::string WithoutControlBytes(std::string_view text);

}  // namespace korvida
