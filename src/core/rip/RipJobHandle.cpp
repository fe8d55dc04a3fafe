#include "core/rip/RipJobHandle.h"

#include <string>

#include "core/jobs/JobLog.h"
#include "core/jobs/Messages.h"

namespace korvida {
namespace {

// A job whose worker died without its end message would leave its progress window
// waiting for ever: after a throw the job ends as failed, the reason in its log.
void EndAfterThrow(RipJob& job, const std::string& text) {
    try {
        LogFormatted(job.context, text);
    } catch (...) {
        // Out of memory for the line itself: the failure message below still goes out.
    }
    SendJobEnd(job, WM_JOB_FAILED);
}

}  // namespace

RipJobHandle StartJobThread(std::unique_ptr<RipJob> job, std::function<void(RipJob&)> body,
                            int threadPriority) {
    RipJobHandle handle(std::move(job));
    handle->context.cancelEvent = handle.cancelEvent().get();
    handle->context.settings = &handle->settings;
    handle->context.aborted = false;
    handle->current = nullptr;
    handle->endSent = false;
    handle.Start(
        [body = std::move(body)](RipJob& record) {
            body(record);
            SendJobEnd(record, WM_JOB_FAILED);  // nothing when the body ended the job itself
        },
        threadPriority, EndAfterThrow);
    return handle;
}

}  // namespace korvida
