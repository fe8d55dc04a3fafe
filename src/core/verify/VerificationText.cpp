#include "core/verify/VerificationText.h"

#include "core/verify/SuspiciousPositions.h"

namespace korvida {

std::string VerificationText(const TrackVerification& verification) {
    std::string text = AccurateRipVerificationText(verification);
    if (!verification.ctdbText.empty())
        text += (text.empty() ? "CTDB: " : "; CTDB: ") + verification.ctdbText;
    for (std::size_t i = 0; i < verification.suspiciousSpans.size(); ++i)
        text += (i == 0 ? "; 可疑位置 " : ", ") + SpanText(verification.suspiciousSpans[i]);
    return text;
}

std::string AccurateRipVerificationText(const TrackVerification& verification) {
    if (!verification.suspicious && verification.suspiciousSpans.empty())
        return verification.resultText;
    std::string text = std::string(kSuspiciousMark) + " (多次读取不一致)";
    if (!verification.resultText.empty())
        text += "; " + verification.resultText;
    return text;
}

}  // namespace korvida
