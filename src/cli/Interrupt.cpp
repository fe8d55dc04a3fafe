#include "cli/Interrupt.h"

#include <atomic>
#include <chrono>

#include "cli/CliContext.h"
#include "core/platform/ThreadGuard.h"

namespace korvida::cli {
namespace {

// The first signal's number; 0 until one came.
std::atomic<int> gSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void RecordSignal(int signal) {
    int none = 0;
    gSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
}

// The handler for a new watcher: no signal has come for it yet.
void (*FreshRecorder())(int) {
    gSignal.store(0);
    return RecordSignal;
}

}  // namespace

InterruptToEvent::InterruptToEvent() : handler_(FreshRecorder()) {
    watcher_ = StartGuardedThread(
        [this] {
            std::unique_lock lock(mutex_);
            while (!stop_) {
                if (!cancelled_ && cancel_ && gSignal.load(std::memory_order_relaxed) != 0) {
                    cancel_->Set();
                    cancelled_ = true;
                }
                wake_.wait_for(lock, std::chrono::milliseconds(50));
            }
        },
        PrintError);
}

InterruptToEvent::InterruptToEvent(std::shared_ptr<Event> cancel) : InterruptToEvent() {
    Watch(std::move(cancel));
}

InterruptToEvent::~InterruptToEvent() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    watcher_.join();
}

void InterruptToEvent::Watch(std::shared_ptr<Event> cancel) {
    {
        std::lock_guard lock(mutex_);
        cancel_ = std::move(cancel);
        cancelled_ = false;
    }
    wake_.notify_all();
}

bool InterruptToEvent::interrupted() const {
    return gSignal.load(std::memory_order_relaxed) != 0;
}

int InterruptToEvent::exitStatus() const {
    return 128 + gSignal.load(std::memory_order_relaxed);
}

}  // namespace korvida::cli
