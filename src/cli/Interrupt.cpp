#include "cli/Interrupt.h"

#include <chrono>

namespace korvida::cli {
namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void SetInterruptedFlag(int) {
    gInterrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

InterruptToEvent::InterruptToEvent(std::shared_ptr<Event> cancel) : cancel_(std::move(cancel)) {
    gInterrupted.store(false);
    struct sigaction action {};
    action.sa_handler = SetInterruptedFlag;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
    watcher_ = std::thread([this] {
        while (!stop_.load()) {
            if (gInterrupted.load(std::memory_order_relaxed)) {
                cancel_->Set();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
}

InterruptToEvent::~InterruptToEvent() {
    stop_.store(true);
    watcher_.join();
    sigaction(SIGINT, &previous_, nullptr);
}

bool InterruptToEvent::interrupted() const {
    return gInterrupted.load(std::memory_order_relaxed);
}

}  // namespace korvida::cli
