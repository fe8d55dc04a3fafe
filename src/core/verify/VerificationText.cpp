#include "core/verify/VerificationText.h"

namespace korvida {

std::string VerificationText(const TrackVerification& verification) {
    std::string text = AccurateRipVerificationText(verification);
    if (!verification.ctdbText.empty())
        text += (text.empty() ? "CTDB: " : "; CTDB: ") + verification.ctdbText;
    return text;
}

std::string AccurateRipVerificationText(const TrackVerification& verification) {
    if (!verification.suspicious)
        return verification.resultText;
    std::string text = std::string(kSuspiciousMark) + " (多次读取不一致)";
    if (!verification.resultText.empty())
        text += "; " + verification.resultText;
    return text;
}

}  // namespace korvida
