#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/JobHandle.h"
#include "core/settings/Settings.h"
#include "core/verify/OffsetSearch.h"

namespace korvida {

class CSCSIDriver;
struct JobParties;

// The search for a drive's read offset with a disc the AccurateRip database knows: a few
// of its tracks read once (at offset 0), their figures taken at every offset in ±3000
// samples and matched against the database. One worker, one record.
struct FindOffsetJob {
    FindOffsetJob() { context.settings = &settings; }
    FindOffsetJob(const FindOffsetJob&) = delete;
    FindOffsetJob& operator=(const FindOffsetJob&) = delete;

    enum class Outcome {
        kFound,          // `offsets` holds the matches, best first
        kNoMatch,        // the disc is known, no offset gave its figures
        kNotInDatabase,  // the database does not know the disc
        kLookupFailed,   // no answer, or one that did not parse (`detail`)
        kNoTracks,       // no audio track long enough to search with
        kReadFailed,     // the drive could not read the tracks
        kCancelled,
        kFailed,  // the worker stopped on an unexpected error (`detail`)
    };

    JobContext context;  // progress, job log, cancel; settings point at `settings`
    Settings settings;   // the server and proxy
    CSCSIDriver* driver = nullptr;
    DiscInfo disc;
    // Results, once WM_JOB_DONE (wParam: this record) has been sent.
    Outcome outcome = Outcome::kNoTracks;
    std::vector<OffsetCandidate> offsets;
    int tracksCompared = 0;  // tracks read whose figures the database holds
    std::string detail;
};

using FindOffsetJobHandle = JobHandle<FindOffsetJob>;

// The words of an outcome other than kFound, for the CLI and the dialog.
std::string FindOffsetOutcomeText(const FindOffsetJob& job);

// Starts the search on a worker thread. WM_EXTRACT_PROGRESS (per mille) while the tracks
// are read, job-log lines, and at the end WM_JOB_DONE with the record's address (sent), also
// after a cancel; WM_JOB_FAILED only when the worker could not run.
FindOffsetJobHandle StartFindReadOffset(const DiscInfo& disc, CSCSIDriver* driver,
                                        const JobParties& parties, const Settings& settings);

}  // namespace korvida
