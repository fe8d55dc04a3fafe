#pragma once

#include <string>
#include <string_view>

namespace korvida {

// The rip log's closing line: "==== 日志校验和 <SHA-256 as 64 lowercase hex digits> ====" and
// a line feed. The checksum covers every byte of the file before that line, its own line
// feed included; the line is the file's last, so whatever is added, removed or changed
// anywhere shows.
std::string RipLogSealLine(std::string_view sealedText);

// `text` (which ends with a line feed, or is empty) followed by its seal line.
std::string SealRipLog(std::string text);

enum class RipLogSealCheck {
    kIntact,   // the last line is the seal of the bytes before it
    kChanged,  // a seal line is there, but it no longer matches the text or is not last
    kNoSeal,   // nothing in the file looks like a seal: not a rip log of ours
};

RipLogSealCheck CheckRipLogSeal(std::string_view fileBytes);

}  // namespace korvida
