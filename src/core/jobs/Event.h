#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace korvida {

// A Win32-style event. Manual reset: stays set until Reset, every waiter passes.
// Auto reset: a successful Wait consumes the signal, one waiter passes.
class Event {
  public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

    explicit Event(bool manualReset, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was set within timeoutMs (0 = just test it).
    bool Wait(std::uint32_t timeoutMs = kInfinite);
    // Lock-free test for workers between units of work; never consumes the signal.
    bool IsSet() const { return set_.load(std::memory_order_acquire); }

  private:
    const bool manualReset_;
    std::atomic<bool> set_;
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace korvida
