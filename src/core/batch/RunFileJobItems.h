#pragma once

#include <functional>

namespace korvida {

struct RipJob;
struct RipJobItem;

// The loop of every file job: each item in order becomes job.current, is announced
// (WM_ITEM_STATUS 0, sent) and handed to `work`. 0 from `work` ends the job with
// WM_JOB_FAILED and later items are not begun; a cancel (job.context.aborted) or the end
// of the list ends it with WM_JOB_DONE.
void RunFileJobItems(RipJob& job, const std::function<int(RipJobItem&)>& work);

}  // namespace korvida
