#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/verify/CtdbLookup.h"
#include "core/verify/TrackVerification.h"

namespace korvida {

// What the match found of the disc as a whole.
struct CtdbDiscVerdict {
    int shift = 0;            // samples the rip lies off the database's rips; 0 when none was found
    bool shiftFound = false;  // the whole disc matched an entry at `shift` (0 included)
};

// Fills the ctdb fields of every track (audio tracks 1 … A in disc order; null for a track
// not ripped). A track that was not read whole is not matched. Entries of another track
// count (the lookup's fuzzy matches of other pressings) are left aside. When the disc's
// figure matches no entry as read, and no track does, the rip is compared at every shift
// up to kCtdbMaxShift: a drive whose read offset is wrong still meets the database, and
// the tracks are then matched at that shift.
CtdbDiscVerdict MatchCtdb(const CtdbLookupResult& lookup,
                          const std::vector<TrackVerification*>& tracks, std::uint64_t tailSkip);

// The lookup's line for the job log and the rip log: "CTDB <id>: …".
std::string CtdbLookupLogLine(const CtdbLookupResult& result, const std::string& id);
// "CTDB: 与数据库相差 +667 个采样。"
std::string CtdbShiftLogLine(int shift);

}  // namespace korvida
