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

}  // namespace

InterruptToEvent::InterruptToEvent() {
    gSignal.store(0);
    struct sigaction action {};
    action.sa_handler = RecordSignal;
    // No SA_RESETHAND: a second signal must not end the program before the clean-up.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &previous_[i]);
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
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
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
