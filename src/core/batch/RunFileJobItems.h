#pragma once

#include <functional>

namespace korvida {

struct JobContext;
struct RipJob;
struct RipJobItem;

// One file's work, with the context of the thread it runs on.
using FileJobWork = std::function<int(RipJobItem& item, JobContext& context)>;

// The loop of every file job. With one encoder thread (the EncoderThreads setting, or a
// single item) each item in order becomes job.current, is announced (WM_ITEM_STATUS 0,
// sent) and handed to `work` with job.context. Otherwise the items are worked on by an
// WorkerPool, the window following the oldest one in work. 0 from `work` ends the job
// with WM_JOB_FAILED and items not yet begun never are; a cancel (job.context.aborted
// afterwards) or the end of the list ends it with WM_JOB_DONE.
void RunFileJobItems(RipJob& job, const FileJobWork& work);

}  // namespace korvida
