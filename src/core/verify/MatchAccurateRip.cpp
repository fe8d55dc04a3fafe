#include "core/verify/MatchAccurateRip.h"

#include "core/text/FormatText.h"

namespace korvida {

void MatchAccurateRip(const AccurateRipLookupResult& lookup, int track,
                      TrackVerification& verification) {
    using Status = AccurateRipLookupResult::Status;
    verification.confidence = 0;
    verification.version = 0;
    if (!verification.checked || track <= 0) {
        verification.outcome = AccurateRipOutcome::kNotChecked;
    } else {
        switch (lookup.status) {
            case Status::kOff:
            case Status::kFailed:
                verification.outcome = AccurateRipOutcome::kLookupFailed;
                break;
            case Status::kNotInDatabase:
                verification.outcome = AccurateRipOutcome::kNotInDatabase;
                break;
            case Status::kNotFinished:
                verification.outcome = AccurateRipOutcome::kLookupNotFinished;
                break;
            case Status::kUnreadable:
                verification.outcome = AccurateRipOutcome::kReplyUnreadable;
                break;
            case Status::kFound: {
                // Both checksums of silence are 0 whatever the disc, and so are the empty
                // slots the database keeps: such a match would confirm nothing.
                if (verification.sums.arV1 == 0 && verification.sums.arV2 == 0) {
                    verification.outcome = AccurateRipOutcome::kSilent;
                    break;
                }
                verification.outcome = AccurateRipOutcome::kNotInDatabase;
                const auto at = static_cast<std::size_t>(track - 1);
                for (const AccurateRipPressing& pressing : lookup.reply.pressings) {
                    if (at >= pressing.tracks.size())
                        continue;
                    const AccurateRipPressing::Track& entry = pressing.tracks[at];
                    if (entry.confidence == 0)
                        continue;  // an empty slot: nobody submitted this track
                    if (verification.outcome == AccurateRipOutcome::kNotInDatabase)
                        verification.outcome = AccurateRipOutcome::kNotAccurate;
                    const int version = entry.crc == verification.sums.arV2   ? 2
                                        : entry.crc == verification.sums.arV1 ? 1
                                                                              : 0;
                    if (version != 0 && (verification.outcome != AccurateRipOutcome::kAccurate ||
                                         entry.confidence > verification.confidence)) {
                        verification.outcome = AccurateRipOutcome::kAccurate;
                        verification.confidence = entry.confidence;
                        verification.version = version;
                    }
                }
                break;
            }
        }
    }
    verification.resultText = AccurateRipResultText(verification, lookup.status);
}

std::string AccurateRipResultText(const TrackVerification& verification,
                                  AccurateRipLookupResult::Status status) {
    switch (verification.outcome) {
        case AccurateRipOutcome::kAccurate:
            return FormatText("准确抓取 (可信度 %d, v%d)", verification.confidence,
                              verification.version);
        case AccurateRipOutcome::kNotAccurate:
            return "不准确";
        case AccurateRipOutcome::kNotInDatabase:
            return "不在数据库中";
        case AccurateRipOutcome::kSilent:
            return "无法校验 (全为静音)";
        case AccurateRipOutcome::kLookupFailed:
            return status == AccurateRipLookupResult::Status::kOff ? "未查询数据库" : "查询失败";
        case AccurateRipOutcome::kLookupNotFinished:
            return "查询未完成";
        case AccurateRipOutcome::kReplyUnreadable:
            return "数据库回复无法解读";
        case AccurateRipOutcome::kNotChecked:
            break;
    }
    return verification.skippedSectors.empty() ? "未校验" : "未校验 (有无法读取的扇区)";
}

}  // namespace korvida
