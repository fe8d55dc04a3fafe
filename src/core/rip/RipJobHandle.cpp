#include "core/rip/RipJobHandle.h"

#include <string>

#include "core/jobs/Messages.h"
#include "core/rip/RipJobLog.h"

namespace korvida {
namespace {

// A job whose worker died without its end message would leave its progress window
// waiting for ever: after a throw the job ends as failed, the reason in its log.
void EndAfterThrow(RipJob& job, const std::string& text) {
    try {
        LogFormatted(job, text);
    } catch (...) {
        // Out of memory for the line itself: the failure message below still goes out.
    }
    SendJobEnd(job, WM_JOB_FAILED);
}

}  // namespace

RipJobHandle StartJobThread(std::unique_ptr<RipJob> job, std::function<void(RipJob&)> body,
                            int threadPriority) {
    RipJobHandle handle(std::move(job));
    handle->cancelEvent = handle.cancelEvent().get();
    handle->current = nullptr;
    handle->aborted = false;
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
