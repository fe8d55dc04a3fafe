#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/jobs/Event.h"
#include "core/platform/ThreadGuard.h"

namespace korvida {

// The owner's side of one worker thread: the thread, the cancel event the worker tests and
// an event that tells when the worker's work is over. Destroying or replacing a running
// job stops it (cancel, then wait), so a worker never outlives what it was given.
//
// Waiting is where a window can deadlock: a worker blocked in a send to the very thread
// that waits for it never returns. Two ways out, for two situations:
//  - the owner can still handle messages: give the job a pump (SetPump) and waiting keeps
//    handling them until the worker is through, end message included;
//  - the owner is going away: close its message targets first (MessageQueue::Close, the
//    GUI target's Close); their senders return at once and the worker runs to its end.
class WorkerJob {
  public:
    // Handles messages addressed to the owner's thread, waiting up to timeoutMs for the
    // first one.
    using Pump = std::function<void(std::uint32_t timeoutMs)>;

    WorkerJob();
    WorkerJob(WorkerJob&& other) noexcept;
    // Stops this job first, then takes over the other one.
    WorkerJob& operator=(WorkerJob&& other) noexcept;
    WorkerJob(const WorkerJob&) = delete;
    WorkerJob& operator=(const WorkerJob&) = delete;
    ~WorkerJob();

    // A worker was started and has not been waited for yet.
    bool started() const { return thread_.joinable(); }
    // The worker's work is over: it has sent its last message, or never will.
    bool finished() const { return finished_ && finished_->IsSet(); }

    // The event the worker tests between units of work (auto-reset: the first stage that
    // sees the request consumes it). Reset when the worker starts, so a request left from
    // an earlier job cannot cancel this one. Shared, so that a Ctrl+C watcher can hold it.
    const std::shared_ptr<Event>& cancelEvent() const { return cancel_; }
    void Cancel();

    void SetPump(Pump pump) { pump_ = std::move(pump); }

    // Waits until the worker has ended and joins it, pumping meanwhile when a pump is set.
    // Call on the owner's thread, never from the worker.
    void Wait();
    // Cancel, then Wait. Does nothing when no worker runs.
    void Stop();

  protected:
    // Runs `body` on a new worker thread at `threadPriority` (see StartWorkerThread). An
    // exception leaving it goes to `onFailure`, still before the work counts as finished,
    // so that a failure message the owner is sent is answered while it waits.
    void Launch(std::function<void()> body, int threadPriority, ThreadFailure onFailure);

  private:
    std::shared_ptr<Event> cancel_;
    std::shared_ptr<Event> finished_;
    std::thread thread_;
    Pump pump_;
};

// A job handle that also owns the record its worker works on. The record stays after the
// worker has ended, so the owner may read the results (a job's items and their output
// paths) until it drops or replaces the handle.
template <class Record>
class JobHandle : public WorkerJob {
  public:
    JobHandle() = default;
    explicit JobHandle(std::unique_ptr<Record> record) : record_(std::move(record)) {}
    JobHandle(JobHandle&&) noexcept = default;
    // The base part goes first: the old worker is stopped before its record is replaced.
    JobHandle& operator=(JobHandle&&) noexcept = default;
    // The worker reads the record until it ends: stop it before the record goes.
    ~JobHandle() { Stop(); }

    Record* get() const { return record_.get(); }
    Record* operator->() const { return record_.get(); }
    Record& operator*() const { return *record_; }

    // Runs body(record) on a new worker thread; an exception leaving it is handed to
    // onFailure(record, text) on that thread. The record must be in place.
    void Start(std::function<void(Record&)> body, int threadPriority,
               std::function<void(Record&, const std::string&)> onFailure) {
        Record* record = record_.get();
        Launch([record, body = std::move(body)] { body(*record); }, threadPriority,
               [record, onFailure = std::move(onFailure)](const std::string& text) {
                   onFailure(*record, text);
               });
    }

  private:
    std::unique_ptr<Record> record_;
};

}  // namespace korvida
