#pragma once

#include <string>

#include "core/verify/TrackVerification.h"

namespace korvida {

// The mark of a track whose reads never agreed, in the job log and beside its result.
inline constexpr char kSuspiciousMark[] = "可疑";

// What the completion page and the CLI show for one track: the AccurateRip result text,
// behind the suspicious mark when test and copy never got two reads to agree or secure
// reads left suspicious sectors, then the
// CTDB result ("; CTDB: 准确 (可信度 3/4)") when CTDB verification is on, then the
// suspicious positions ("; 可疑位置 02:20.13 - 02:20.40, …").
std::string VerificationText(const TrackVerification& verification);

// The same without the CTDB result: the verification line and the rip log give that
// with its figure.
std::string AccurateRipVerificationText(const TrackVerification& verification);

}  // namespace korvida
