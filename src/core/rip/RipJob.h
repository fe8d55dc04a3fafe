#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/rip/DiscIndexes.h"
#include "core/rip/RipJobItem.h"
#include "core/settings/Settings.h"
#include "core/verify/AccurateRipDisc.h"

namespace korvida {

class CSCSIDriver;
struct DiscInfo;
class CtdbLookup;

// One job, a rip or a file job, handed to one worker thread, which alone touches it while
// it runs. Its stages see only its context.
struct RipJob {
    RipJob() { context.settings = &settings; }
    // The context points into the record: a copy would read another job's settings.
    RipJob(const RipJob&) = delete;
    RipJob& operator=(const RipJob&) = delete;

    // Progress and log targets, cancel event and aborted flag, and this job's settings.
    JobContext context;
    bool keepWav = false;  // the WAV file is the final output
    bool fileJob = false;  // items name files on disk, not disc tracks
    // File jobs that encode: the format, as its OutputFormat value (EncoderFormats.h).
    int encodeFormat = 0;
    std::string tempWavPath;
    // Secure reads in C2 mode: the drive showed its C2 pointers cannot be had or trusted,
    // so the job's later tracks are compared (and the log says so once).
    bool c2Untrusted = false;
    std::vector<RipJobItem> items;  // in track-list order
    RipJobItem* current = nullptr;  // the item being processed; null before the first
    CSCSIDriver* driver = nullptr;
    // Rips: the disc's AccurateRip ids and each track's place among its audio tracks.
    AccurateRipDisc accurateRip;
    // The album's front cover as the local database holds it (JPEG or PNG bytes), for the
    // encoders' tags and cover.jpg; null when there is none.
    std::shared_ptr<const std::vector<std::uint8_t>> coverArt;
    // Rips: the whole disc the items were taken from (TOC, every track), for the rip log
    // and the cue sheet, which describe the disc and not only the ticked tracks.
    std::shared_ptr<const DiscInfo> disc;
    // Rips: the CTDB lookup, the rip thread's own while it runs.
    CtdbLookup* ctdbLookup = nullptr;
    // Rips: the gaps and indexes the Q sub-channel gave (DetectGaps), before the first read.
    DiscIndexes indexes;
    // Rips: ticked data tracks left out of items (track indexes), named in the job log.
    std::vector<int> skippedDataTracks;
    // The rip log and cue sheet written at the job's end; empty when none was.
    std::string ripLogPath;
    std::string cueSheetPath;
    // The settings as they were when the job started (context.settings points here).
    // Workers read these, never the process-wide settings, which the options sheet may be
    // changing meanwhile.
    Settings settings;
    // WM_JOB_DONE or WM_JOB_FAILED has been sent; worker thread only.
    bool endSent = false;
};

// Ends a job with WM_JOB_DONE or WM_JOB_FAILED. Sent, not posted, with the job's address:
// the receiver reads the items while it handles the message. A job ends once: a second
// end (the guard's, after a stage that already ended the job) is not sent.
inline void SendJobEnd(RipJob& job, unsigned message) {
    if (job.endSent)
        return;
    job.endSent = true;
    if (job.context.progressWindow)
        job.context.progressWindow->send(message, reinterpret_cast<std::intptr_t>(&job));
}

}  // namespace korvida
