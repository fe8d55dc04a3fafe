#include "core/batch/RunFileJobItems.h"

#include "core/jobs/Messages.h"
#include "core/jobs/RipJob.h"

namespace korvida {

void RunFileJobItems(RipJob& job, const std::function<int(RipJobItem&)>& work) {
    for (RipJobItem& item : job.items) {
        job.current = &item;
        if (job.context.progressWindow)
            job.context.progressWindow->send(WM_ITEM_STATUS, 0, 0, item.name);
        if (!work(item)) {
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
        if (job.context.aborted)
            break;
    }
    SendJobEnd(job, WM_JOB_DONE);
}

}  // namespace korvida
