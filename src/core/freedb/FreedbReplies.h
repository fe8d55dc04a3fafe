#pragma once

#include <string>
#include <string_view>

#include "core/freedb/FreedbRequest.h"
#include "core/freedb/FreedbText.h"

namespace korvida {

// Read replies collect titles for track indexes 0 to TITLE_SLOTS - 1.
inline constexpr int TITLE_SLOTS = 100;

// The freedb text of an HTTP reply: the reply must begin with "HTTP" (any case) after
// leading white space and hold a blank line ("\r\n\r\n"); the text is what follows it,
// leading white space removed, and the status code is the decimal value of its first
// three characters. False when the reply is not framed like that.
bool FrameFreedbReply(std::string_view reply, int& statusCode, std::string_view& text);

// One FreedbMatch from a line of a query reply ("rock 7a0b5c09 Artist / Title"), the
// line decoded from the reply's charset.
FreedbMatch MakeFreedbMatch(std::string_view line, ReplyCharset charset = ReplyCharset::kUtf8);

// The status line of a framed reply that refuses its command: the freedb status line
// when its code is 4xx or 5xx, or the HTTP status line when that code is 4xx or 5xx and
// the freedb text carries no code of its own (a proxy's 407, a wrong script's 404).
// Empty for any other reply. Decoded to UTF-8 and cut like a match line.
std::string ServerErrorLine(std::string_view reply);

// Sets statusCode, serverError and fills request.matches: one match for 200, one per
// line up to the "." line for 210 (exact matches, the form from protocol level 4 on)
// and 211 (inexact), none for any other code. A reply that is not framed leaves the
// code and the matches as they were.
void ParseQueryReply(std::string_view reply, FreedbRequest& request);

// Sets statusCode, serverError, revision and hasRevision and fills request.readResult
// from a 210 reply; any other reply leaves the result empty.
void ParseReadReply(std::string_view reply, FreedbRequest& request);

// The code of a submit reply: the three characters that follow its first blank line
// (fewer when the reply ends sooner, none without a blank line), as readable text.
std::string SubmitReplyCode(std::string_view reply);

// The status line of a submit reply: the first line after its first blank line, as a
// message shows it ("200 OK, submission has been sent."); empty without a blank line.
std::string SubmitReplyStatusLine(std::string_view reply);

}  // namespace korvida
