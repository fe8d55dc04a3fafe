#pragma once

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include "core/jobs/Event.h"

namespace korvida::cli {

// While it lives, Ctrl+C sets `cancel` (within 50 ms) as the Abort button would; a second
// Ctrl+C ends the program at once, for a server or drive that hangs. The signal handler
// itself only sets an atomic flag.
class InterruptToEvent {
  public:
    explicit InterruptToEvent(std::shared_ptr<Event> cancel);
    ~InterruptToEvent();
    InterruptToEvent(const InterruptToEvent&) = delete;
    InterruptToEvent& operator=(const InterruptToEvent&) = delete;

    bool interrupted() const;

  private:
    std::shared_ptr<Event> cancel_;
    std::atomic<bool> stop_{false};
    struct sigaction previous_ {};
    std::thread watcher_;
};

}  // namespace korvida::cli
