#include "core/rip/RipJobHandle.h"

#include <exception>
#include <string>

#include "core/jobs/Messages.h"
#include "core/rip/RipJobLog.h"

namespace korvida {
namespace {

void LogUnexpected(RipJob& job, const char* what) noexcept {
    try {
        LogFormatted(job, std::string(kUnexpectedErrorLine) + what + "！");
    } catch (...) {
        // Out of memory for the line itself: the failure message below still goes out.
    }
}

// No exception may leave a worker thread (std::terminate), and a job whose worker died
// without its end message would leave its progress window waiting for ever.
void RunGuarded(RipJob& job, const std::function<void(RipJob&)>& body) {
    try {
        body(job);
    } catch (const std::exception& error) {
        LogUnexpected(job, error.what());
    } catch (...) {
        LogUnexpected(job, "unknown exception");
    }
    SendJobEnd(job, WM_JOB_FAILED);  // nothing when the body ended the job itself
}

}  // namespace

RipJobHandle StartJobThread(std::unique_ptr<RipJob> job, std::function<void(RipJob&)> body,
                            int threadPriority) {
    RipJobHandle handle(std::move(job));
    handle->cancelEvent = handle.cancelEvent().get();
    handle->current = nullptr;
    handle->aborted = false;
    handle->endSent = false;
    handle.Start([body = std::move(body)](RipJob& record) { RunGuarded(record, body); },
                 threadPriority);
    return handle;
}

}  // namespace korvida
