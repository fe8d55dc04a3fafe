#pragma once

#include <string>

#include "core/freedb/FreedbDiscId.h"

namespace korvida {

// The client name and version the commands and the User-Agent line carry.
inline constexpr const char* kFreedbClientName = "Korvida 3.0";

// The CDDB protocol level the commands ask for. Level 6 is level 5 in UTF-8, which is
// our text; at the lower levels today's servers convert their entries to ISO-8859-1 and
// every Chinese character is lost.
inline constexpr int kFreedbProtocolLevel = 6;

// In place: every "@" and every space from the second character on becomes "+", which
// turns "user@host" and "Korvida 3.0" into the hello field's "+"-separated words.
void PlusEncode(std::string& text);

// "cmd=cddb+query+<id>+<n>+<offsets>+<seconds>&hello=<email>+Korvida+3.0&proto=6\r\n".
std::string BuildQueryCommand(const FreedbTocSummary& summary, const std::string& email);

// "cmd=cddb+read+<category>+<discId>&hello=<email>+Korvida+3.0&proto=6\r\n", with the
// category and disc id as the query reply gave them.
std::string BuildReadCommand(const std::string& category, const std::string& discId,
                             const std::string& email);

}  // namespace korvida
