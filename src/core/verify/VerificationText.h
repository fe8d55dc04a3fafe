#pragma once

#include <string>

#include "core/verify/TrackVerification.h"

namespace korvida {

// The mark of a track whose reads never agreed, in the job log and beside its result.
inline constexpr char kSuspiciousMark[] = "可疑";

// What the completion page and the CLI show for one track: the database's result text,
// behind the suspicious mark when test and copy never got two reads to agree.
std::string VerificationText(const TrackVerification& verification);

}  // namespace korvida
