#pragma once

#include <string>

namespace korvida {

struct RipJob;

// How a rip ended, as the log states it first in its summary.
enum class RipEnd { kDone, kCancelled, kFailed };

// What the rip log says beside the job record itself.
struct RipLogFacts {
    std::string program;    // program name and version
    std::string writtenAt;  // local time the log was written, "YYYY-MM-DD HH:MM:SS"
    std::string driveName;  // the drive table's 24-character name; empty when unknown
    // What became of the cue sheet: its file name, or why there is none.
    std::string cueSheet;
};

// The rip log of a job, unsealed (SealRipLog closes it): the drive and the settings that
// change the audio, the disc's TOC, every item's file, range and verification, and a
// summary that names every track that is not proven accurate. Fields the verification
// did not fill read as not measured, never as zero checksums. Needs job.disc.
std::string RipLogText(const RipJob& job, RipEnd end, const RipLogFacts& facts);

// True when the job ended done and every item was written and found accurate in the
// database, with no test-and-copy disagreement: the rip log then closes with
// "所有音轨均已准确抓取".
bool AllTracksAccurate(const RipJob& job, RipEnd end);

}  // namespace korvida
