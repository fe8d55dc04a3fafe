#include "core/rip/FinishVerification.h"

#include "core/jobs/JobLog.h"
#include "core/rip/RipJob.h"
#include "core/verify/AccurateRipLookup.h"
#include "core/verify/MatchAccurateRip.h"

namespace korvida {
namespace {

std::string LookupLogLine(const AccurateRipLookupResult& result, const AccurateRipDisc& disc) {
    using Status = AccurateRipLookupResult::Status;
    const std::string id = "AccurateRip " + disc.IdText();
    switch (result.status) {
        case Status::kOff:
            return id + ": 未查询数据库。";
        case Status::kFound:
            return id + ": 数据库中有 " + std::to_string(result.reply.pressings.size()) +
                   " 个版本。";
        case Status::kNotInDatabase:
            return id + ": 不在数据库中。";
        case Status::kFailed:
            return id + ": 查询失败: " + result.detail;
        case Status::kNotFinished:
            return id + ": 查询未完成。";
        case Status::kUnreadable:
            return id + ": 数据库回复无法解读 (" + result.detail + ")，未采用。";
    }
    return id;
}

}  // namespace

void FinishVerification(RipJob& job, AccurateRipLookup& lookup, std::uint32_t graceMs) {
    if (!job.settings.AccurateRipVerify || job.items.empty())
        return;
    const AccurateRipLookupResult result = lookup.Finish(job.context.aborted ? 0 : graceMs);
    LogPlain(job.context, LookupLogLine(result, job.accurateRip));
    for (RipJobItem& item : job.items) {
        if (item.index >= 0)  // the hidden track is in no database
            MatchAccurateRip(result, job.accurateRip.PositionOf(item.index).track,
                             item.verification);
        if (&item == job.current)
            break;  // the tracks after it were never read
    }
}

}  // namespace korvida
