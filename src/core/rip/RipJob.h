#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/disc/TrackInfo.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"
#include "core/platform/FreeDiskSpace.h"
#include "core/settings/Settings.h"

namespace korvida {

class CSCSIDriver;
class MessageTarget;
struct RipJob;

// An encoder stage (MP3 or Ogg Vorbis) for job.current: nonzero when the item was
// encoded or the user cancelled it (job.aborted tells which), 0 after it logged why it
// failed.
using EncoderStageFunction = std::function<int(RipJob& job)>;

// One track of a rip, or one file of a file job, as it was when the job started: editing
// the track list while the job runs changes nothing here.
struct RipJobItem {
    std::uint32_t start = 0;  // first frame (LBA); extraction may move it when trimming
    std::uint32_t end = 0;    // one past the last frame
    // Rip: the Title column text of the row; file job: the source file's path.
    std::string name;
    std::string outputPath;    // the finished file, filled by the stage that writes it
    std::string outputFolder;  // the output folder that outputPath lies in
    // Tick count (ms) when extraction began; the encoders replace it by the elapsed ms.
    std::uint32_t startTick = 0;
    // 0-based track index in TOC order; the number in names and tags is index + 1.
    // -1 for file-job items.
    std::int32_t index = -1;
    TrackInfo track;  // copy of the track's description record
};

// One job, handed to one worker thread, which alone touches it while it runs.
struct RipJob {
    // Receives progress and status messages (the progress window).
    MessageTarget* progressWindow = nullptr;
    bool keepWav = false;    // the WAV file is the final output
    bool fileJob = false;    // items name files on disk, not disc tracks
    bool oggOutput = false;  // file jobs: Ogg Vorbis instead of MP3
    std::string tempWavPath;
    // The cancel event of the job's handle (JobHandle): auto-reset, so the first stage
    // that tests it consumes the request.
    Event* cancelEvent = nullptr;
    std::vector<RipJobItem> items;  // in track-list order
    RipJobItem* current = nullptr;  // the item being processed; null before the first
    bool aborted = false;           // a stage saw the cancel request; worker thread only
    CSCSIDriver* driver = nullptr;
    // Receives WM_JOB_LOG and WM_CURRENT_TRACK (the main window).
    MessageTarget* mainWindow = nullptr;
    // The settings as they were when the job started. Workers read these, never the
    // process-wide settings, which the options sheet may be changing meanwhile.
    Settings settings;
    // WM_JOB_DONE or WM_JOB_FAILED has been sent; worker thread only.
    bool endSent = false;

    // The encoder stages the rip and encode-files threads call; empty ones run the
    // built-in stages of EncoderStage.h. Tests put stages of their own here.
    EncoderStageFunction mp3Stage;
    EncoderStageFunction oggStage;
    // The free-space question asked before a track is written; empty asks the file
    // system (FreeBytes). Tests answer for a disk of the size they need.
    std::function<FreeDiskSpace(const std::string& path)> freeBytes;
};

// The test every stage makes between units of work: without waiting, and consuming the
// request (the event is auto-reset), so exactly one stage reacts to it. The lock-free look
// comes first because Wait(0) costs a futex call, and this runs once per block.
inline bool ConsumeCancelRequest(RipJob& job) {
    return job.cancelEvent && job.cancelEvent->IsSet() && job.cancelEvent->Wait(0);
}

// Ends a job with WM_JOB_DONE or WM_JOB_FAILED. Sent, not posted, with the job's address:
// the receiver reads the items while it handles the message. A job ends once: a second
// end (the guard's, after a stage that already ended the job) is not sent.
inline void SendJobEnd(RipJob& job, unsigned message) {
    if (job.endSent)
        return;
    job.endSent = true;
    if (job.progressWindow)
        job.progressWindow->send(message, reinterpret_cast<std::intptr_t>(&job));
}

}  // namespace korvida
