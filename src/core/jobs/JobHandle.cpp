#include "core/jobs/JobHandle.h"

#include "core/jobs/WorkerThread.h"

namespace korvida {
namespace {

// How long one pump call may wait for a message before the worker's end is looked at
// again; the worker's end is no message, so this bounds how late it is noticed.
constexpr std::uint32_t kPumpSliceMs = 20;

}  // namespace

WorkerJob::WorkerJob() : cancel_(std::make_shared<Event>(false)) {}

WorkerJob::WorkerJob(WorkerJob&& other) noexcept
    : cancel_(std::move(other.cancel_)),
      finished_(std::move(other.finished_)),
      thread_(std::move(other.thread_)),
      pump_(std::move(other.pump_)) {}

WorkerJob& WorkerJob::operator=(WorkerJob&& other) noexcept {
    if (this != &other) {
        Stop();
        cancel_ = std::move(other.cancel_);
        finished_ = std::move(other.finished_);
        thread_ = std::move(other.thread_);
        pump_ = std::move(other.pump_);
    }
    return *this;
}

WorkerJob::~WorkerJob() {
    Stop();
}

void WorkerJob::Cancel() {
    if (cancel_)
        cancel_->Set();
}

void WorkerJob::Wait() {
    if (!thread_.joinable())
        return;
    if (pump_) {
        while (!finished_->IsSet())
            pump_(kPumpSliceMs);
    }
    // A message handled by the pump may have waited for the worker itself (the owner's
    // handler of the end message): the thread is then joined already.
    if (thread_.joinable())
        thread_.join();
}

void WorkerJob::Stop() {
    if (!thread_.joinable())
        return;
    Cancel();
    Wait();
}

void WorkerJob::Launch(std::function<void()> body, int threadPriority, ThreadFailure onFailure) {
    Stop();
    if (!cancel_)
        cancel_ = std::make_shared<Event>(false);
    cancel_->Reset();
    finished_ = std::make_shared<Event>(true);
    thread_ = StartWorkerThread(
        [finished = finished_, body = std::move(body), onFailure = std::move(onFailure)] {
            // Set however the body leaves, so that a waiting owner stops pumping.
            struct SetOnExit {
                Event& event;
                ~SetOnExit() { event.Set(); }
            } setOnExit{*finished};
            RunGuarded(body, onFailure);
        },
        threadPriority, nullptr);
}

}  // namespace korvida
