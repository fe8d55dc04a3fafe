#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "core/jobs/Event.h"
#include "core/platform/FreeDiskSpace.h"

namespace korvida {

class MessageTarget;
struct Settings;

// What a stage (extraction, normalisation, an encoder, a decode) sees of the job it works
// for. The job owns it and hands it down; a stage learns nothing else about the job, so a
// new stage is written without knowing which job runs it.
struct JobContext {
    // Receives the stage's progress and status messages (the progress window).
    MessageTarget* progressWindow = nullptr;
    // Receives WM_JOB_LOG lines and WM_CURRENT_TRACK (the main window).
    MessageTarget* mainWindow = nullptr;
    // The cancel event of the job's handle (JobHandle): auto-reset, so the first stage
    // that tests it consumes the request.
    Event* cancelEvent = nullptr;
    // A stage saw the cancel request; the thread this context belongs to only.
    bool aborted = false;
    // Jobs whose stages run on several threads: set by the stage that consumed the cancel
    // request, so that the stages on the other threads stop too. Null for one thread.
    std::atomic<bool>* jobCancelled = nullptr;
    // Beside jobCancelled: set by the first stage that tells the log of the cancel, so a
    // job on four workers says it once, whatever words each stage uses. Null for one thread.
    std::atomic<bool>* cancelReported = nullptr;
    // The settings as they were when the job started. Stages read these, never the
    // process-wide settings, which the options sheet may be changing meanwhile.
    const Settings* settings = nullptr;
    // The free-space question asked before a file is written; empty asks the file system.
    // Tests answer for a disk of the size they need.
    std::function<FreeDiskSpace(const std::string& path)> freeSpace;
};

// The test every stage makes between units of work: without waiting, and consuming the
// request (the event is auto-reset), so exactly one stage reacts to it. The lock-free look
// comes first because Wait(0) costs a futex call, and this runs once per block.
inline bool ConsumeCancelRequest(JobContext& context) {
    if (context.jobCancelled && context.jobCancelled->load(std::memory_order_acquire))
        return true;
    if (!(context.cancelEvent && context.cancelEvent->IsSet() && context.cancelEvent->Wait(0)))
        return false;
    if (context.jobCancelled)
        context.jobCancelled->store(true, std::memory_order_release);
    return true;
}

// A stage that stops for a cancel asks this before it logs why: true for the first stage
// of the job only. Sets aborted either way.
inline bool FirstToReportCancel(JobContext& context) {
    context.aborted = true;
    return !(context.cancelReported &&
             context.cancelReported->exchange(true, std::memory_order_acq_rel));
}

// Free space of the file system that will hold `path`, as the context answers it.
inline FreeDiskSpace FreeSpaceFor(const JobContext& context, const std::string& path) {
    return context.freeSpace ? context.freeSpace(path) : GetFreeDiskSpace(path);
}

}  // namespace korvida
