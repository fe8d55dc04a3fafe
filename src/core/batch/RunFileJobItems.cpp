#include "core/batch/RunFileJobItems.h"

#include <algorithm>

#include "core/jobs/Messages.h"
#include "core/jobs/WorkerPool.h"
#include "core/rip/RipJob.h"

namespace korvida {
namespace {

void RunInTurn(RipJob& job, const FileJobWork& work) {
    for (RipJobItem& item : job.items) {
        job.current = &item;
        if (job.context.progressWindow)
            job.context.progressWindow->send(WM_ITEM_STATUS, 0, 0, item.name);
        if (!work(item, job.context)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.context.aborted)
            break;
    }
    SendJobEnd(job, WM_JOB_DONE);
}

}  // namespace

void RunFileJobItems(RipJob& job, const FileJobWork& work) {
    const int workers =
        std::min(EncoderWorkerCount(job.settings), static_cast<int>(job.items.size()));
    if (workers <= 1) {
        RunInTurn(job, work);
        return;
    }
    bool failed = false;
    {
        WorkerPool pool(job.context, job.items.size(), workers, WorkerPool::Shown::kOldestItem);
        for (std::size_t i = 0; i < job.items.size(); ++i) {
            RipJobItem& item = job.items[i];
            if (!pool.Submit(static_cast<int>(i) + 1, item.name,
                             [&work, &item](JobContext& context) { return work(item, context); }))
                break;
        }
        pool.Finish();
        failed = pool.failed();
    }
    SendJobEnd(job, failed ? WM_JOB_FAILED : WM_JOB_DONE);
}

}  // namespace korvida
