#include "core/verify/MatchCtdb.h"

#include "core/text/FormatText.h"
#include "core/verify/CtdbChecksums.h"

namespace korvida {
namespace {

using Status = CtdbLookupResult::Status;

CtdbOutcome OutcomeOf(Status status) {
    switch (status) {
        case Status::kOff:
            return CtdbOutcome::kLookupOff;
        case Status::kNotInDatabase:
            return CtdbOutcome::kNotInDatabase;
        case Status::kFailed:
            return CtdbOutcome::kLookupFailed;
        case Status::kNotFinished:
            return CtdbOutcome::kLookupNotFinished;
        case Status::kUnreadable:
            return CtdbOutcome::kReplyUnreadable;
        case Status::kFound:
            break;
    }
    return CtdbOutcome::kNotInDatabase;
}

std::string TextOf(const TrackVerification& v) {
    switch (v.ctdbOutcome) {
        case CtdbOutcome::kAccurate:
            return v.ctdbShift == 0
                       ? FormatText("准确 (可信度 %d/%d)", v.ctdbConfidence, v.ctdbTotal)
                       : FormatText("准确 (可信度 %d/%d, 与数据库相差 %+d 个采样)",
                                    v.ctdbConfidence, v.ctdbTotal, v.ctdbShift);
        case CtdbOutcome::kDiffers:
            return "有差异";
        case CtdbOutcome::kNotInDatabase:
            return "不在数据库中";
        case CtdbOutcome::kLookupOff:
            return "未查询数据库";
        case CtdbOutcome::kLookupFailed:
            return "查询失败";
        case CtdbOutcome::kLookupNotFinished:
            return "查询未完成";
        case CtdbOutcome::kReplyUnreadable:
            return "数据库回复无法解读";
        case CtdbOutcome::kNotChecked:
            break;
    }
    return "未校验";
}

bool AnyEntryHolds(const std::vector<const CtdbEntry*>& entries, std::uint32_t disc) {
    for (const CtdbEntry* entry : entries)
        if (entry->crc32 == disc)
            return true;
    return false;
}

}  // namespace

CtdbDiscVerdict MatchCtdb(const CtdbLookupResult& lookup,
                          const std::vector<TrackVerification*>& tracks, std::uint64_t tailSkip) {
    CtdbDiscVerdict verdict;
    CtdbTracks sums;
    for (const TrackVerification* track : tracks)
        sums.push_back(track && track->checked && track->sums.hasCtdb ? &track->sums : nullptr);
    std::vector<const CtdbEntry*> entries;
    if (lookup.status == Status::kFound)
        for (const CtdbEntry& entry : lookup.reply.entries)
            if (entry.trackCrcs.size() == tracks.size())
                entries.push_back(&entry);

    if (!entries.empty()) {
        const auto disc = CtdbDiscCrc(sums, 0, tailSkip);
        bool anyTrack = false;
        for (std::size_t t = 0; t < sums.size(); ++t)
            for (const CtdbEntry* entry : entries)
                anyTrack = anyTrack || (sums[t] && entry->trackCrcs[t] == sums[t]->ctdb);
        verdict.shiftFound = disc && AnyEntryHolds(entries, *disc);
        if (!verdict.shiftFound && !anyTrack && disc) {
            for (int shift = -kCtdbMaxShift; shift <= kCtdbMaxShift && !verdict.shiftFound;
                 ++shift) {
                const auto shifted = shift == 0 ? disc : CtdbDiscCrc(sums, shift, tailSkip);
                if (shifted && AnyEntryHolds(entries, *shifted)) {
                    verdict.shift = shift;
                    verdict.shiftFound = true;
                }
            }
        }
    }

    for (std::size_t t = 0; t < tracks.size(); ++t) {
        TrackVerification* track = tracks[t];
        if (track == nullptr)
            continue;
        track->ctdbConfidence = 0;
        track->ctdbTotal = 0;
        track->ctdbShift = 0;
        if (!track->checked || !track->sums.hasCtdb) {
            track->ctdbOutcome = CtdbOutcome::kNotChecked;
        } else if (lookup.status != Status::kFound || entries.empty()) {
            track->ctdbOutcome = OutcomeOf(lookup.status);
        } else {
            auto crc = CtdbTrackCrc(sums, t, verdict.shift, tailSkip);
            if (crc)
                track->ctdbShift = verdict.shift;
            else
                crc = track->sums.ctdb;
            for (const CtdbEntry* entry : entries) {
                track->ctdbTotal += entry->confidence;
                if (entry->trackCrcs[t] == *crc)
                    track->ctdbConfidence += entry->confidence;
            }
            track->ctdbOutcome =
                track->ctdbConfidence > 0 ? CtdbOutcome::kAccurate : CtdbOutcome::kDiffers;
        }
        track->ctdbText = TextOf(*track);
    }
    return verdict;
}

std::string CtdbLookupLogLine(const CtdbLookupResult& result, const std::string& id) {
    const std::string head = "CTDB " + id;
    switch (result.status) {
        case Status::kOff:
            return head + ": 未查询数据库。";
        case Status::kFound:
            return result.reply.entries.empty()
                       ? head + ": 不在数据库中。"
                       : FormatText("%s: 数据库中有 %zu 个条目。", head.c_str(),
                                    result.reply.entries.size());
        case Status::kNotInDatabase:
            return head + ": 不在数据库中。";
        case Status::kFailed:
            return head + ": 查询失败: " + result.detail;
        case Status::kNotFinished:
            return head + ": 查询未完成。";
        case Status::kUnreadable:
            return head + ": 数据库回复无法解读 (" + result.detail + ")，未采用。";
    }
    return head;
}

std::string CtdbShiftLogLine(int shift) {
    return FormatText("CTDB: 与数据库相差 %+d 个采样。", shift);
}

}  // namespace korvida
