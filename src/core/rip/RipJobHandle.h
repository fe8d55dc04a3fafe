#pragma once

#include <functional>
#include <memory>

#include "core/jobs/JobHandle.h"
#include "core/rip/RipJob.h"

namespace korvida {

// A rip or file job with its worker thread and cancel event (see JobHandle). Dropping the
// handle cancels the job and waits for its worker.
using RipJobHandle = JobHandle<RipJob>;

// Hands `job` to a new worker thread at `threadPriority` that runs `body` inside the job
// guard. The handle owns the record and its cancel event; job.context.cancelEvent points at
// that event. Every worker ends with exactly one WM_JOB_DONE or WM_JOB_FAILED: an exception
// that leaves `body` is caught at the thread's top, logged as UnexpectedErrorText, and the
// job ends as failed unless the body had already ended it.
RipJobHandle StartJobThread(std::unique_ptr<RipJob> job, std::function<void(RipJob&)> body,
                            int threadPriority);

}  // namespace korvida
