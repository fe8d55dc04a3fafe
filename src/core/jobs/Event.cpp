#include "core/jobs/Event.h"

#include <chrono>

namespace korvida {

Event::Event(bool manualReset, bool initiallySet) : manualReset_(manualReset), set_(initiallySet) {}

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        set_.store(true, std::memory_order_release);
    }
    if (manualReset_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    set_.store(false, std::memory_order_release);
}

bool Event::Wait(std::uint32_t timeoutMs) {
    // Workers test their cancel event between every unit of work: an unset event must
    // not cost a lock.
    if (timeoutMs == 0 && !set_.load(std::memory_order_acquire)) return false;
    std::unique_lock lock(mutex_);
    const auto isSet = [&] { return set_.load(std::memory_order_acquire); };
    bool ok;
    if (timeoutMs == kInfinite) {
        changed_.wait(lock, isSet);
        ok = true;
    } else {
        ok = changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet);
    }
    if (ok && !manualReset_)
        set_.store(false, std::memory_order_release);
    return ok;
}

}  // namespace korvida
