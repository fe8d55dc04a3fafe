#include "core/verify/VerificationLine.h"

#include "core/text/FormatText.h"
#include "core/verify/SuspiciousPositions.h"
#include "core/verify/VerificationText.h"

namespace korvida {

std::string VerificationLine(int number, const TrackVerification& verification) {
    const TrackChecksums& sums = verification.sums;
    return FormatText("%02d CRC32 %08x CRC32-nonull %08x ARv1 %08x ARv2 %08x ", number, sums.crc32,
                      sums.crc32NoNull, sums.arV1, sums.arV2) +
           AccurateRipVerificationText(verification) +
           (verification.ctdbText.empty()
                ? std::string()
                : FormatText(" CTDB %08x ", sums.ctdb) + verification.ctdbText) +
           (verification.suspiciousSpans.empty()
                ? std::string()
                : " suspicious " + CompactSpansText(verification.suspiciousSpans));
}

}  // namespace korvida
