#include "core/rip/FinishCtdbVerification.h"

#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/jobs/JobLog.h"
#include "core/rip/RipJob.h"
#include "core/verify/CtdbLookup.h"
#include "core/verify/MatchCtdb.h"

namespace korvida {
namespace {

bool CtdbOn(const RipJob& job) {
    return job.settings.AccurateRipVerify && job.settings.CtdbVerify && job.disc &&
           job.accurateRip.ok;
}

}  // namespace

void StartCtdbLookup(RipJob& job, CtdbLookup& lookup) {
    if (CtdbOn(job))
        lookup.Start(CtdbDiscOf(job.disc->rawToc.data()), job.settings);
}

void FinishCtdbVerification(RipJob& job, CtdbLookup& lookup, std::uint32_t graceMs) {
    if (!CtdbOn(job) || job.items.empty())
        return;
    const CtdbLookupResult result = lookup.Finish(job.context.aborted ? 0 : graceMs);
    LogPlain(job.context, CtdbLookupLogLine(result, CtdbDiscOf(job.disc->rawToc.data()).id));
    std::vector<TrackVerification*> tracks(static_cast<std::size_t>(job.accurateRip.audioTracks));
    std::uint64_t tailSkip = 0;
    for (const AccurateRipPosition& position : job.accurateRip.tracks)
        if (position.track == job.accurateRip.audioTracks)
            tailSkip = position.ctdbTailSkip;
    for (RipJobItem& item : job.items) {
        const int track = job.accurateRip.PositionOf(item.index).track;
        if (track > 0)
            tracks[static_cast<std::size_t>(track - 1)] = &item.verification;
        if (&item == job.current)
            break;  // the tracks after it were never read
    }
    const CtdbDiscVerdict verdict = MatchCtdb(result, tracks, tailSkip);
    if (verdict.shiftFound && verdict.shift != 0)
        LogPlain(job.context, CtdbShiftLogLine(verdict.shift));
}

}  // namespace korvida
