#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "core/jobs/Event.h"
#include "core/platform/EndingSignalHandler.h"

namespace korvida::cli {

// While it lives, each way the program is asked to end (Ctrl+C's SIGINT, SIGTERM,
// SIGHUP) sets the cancel event (within 50 ms) as the Abort button would, and the program
// ends only after the job has gone through its own clean-up: its temporary files deleted,
// a cancelled track's file made whole. Signals after the first change nothing; ending at
// once would leave the job's files behind. A drive command under way ends by its time-out.
// The signal handler itself only sets an atomic flag.
class InterruptToEvent {
  public:
    // Catches the signals from now on; those that come before Watch act once it is called.
    InterruptToEvent();
    explicit InterruptToEvent(std::shared_ptr<Event> cancel);
    ~InterruptToEvent();
    InterruptToEvent(const InterruptToEvent&) = delete;
    InterruptToEvent& operator=(const InterruptToEvent&) = delete;

    // The event a signal sets: a job's, once it has started.
    void Watch(std::shared_ptr<Event> cancel);

    bool interrupted() const;
    // 128 + the first signal's number: 130 after Ctrl+C, as a shell reports it.
    int exitStatus() const;

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::shared_ptr<Event> cancel_;
    bool cancelled_ = false;
    bool stop_ = false;
    EndingSignalHandler handler_;  // before the watcher: restored after it has ended
    std::thread watcher_;
};

}  // namespace korvida::cli
