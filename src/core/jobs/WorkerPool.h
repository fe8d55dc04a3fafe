#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/platform/ThreadGuard.h"

namespace korvida {

struct Settings;

// The workers a job runs beside its own thread for an EncoderThreads setting: 0 one per
// core, otherwise the setting (at least 1).
int EncoderWorkerCount(const Settings& settings);

// Items of one job worked on by several threads at once, each with a context of its own
// that shares the job's cancel request: the stage that consumes it sets a flag that every
// other stage (the job's own thread included, through the job's context while the pool lives)
// reads as a cancel too. The job-log lines go out as they happen; the stages tell of the
// cancel once between them (FirstToReportCancel).
//
// What the progress window sees depends on the mode:
//  - kBehind (a rip): the job's thread shows its own stage; each worker's encoding shows
//    as WM_ENCODE_BEHIND when it takes an item, WM_ENCODE_BEHIND_PROGRESS with the item's
//    number, and 1000 per mille when it is through with it.
//  - kOldestItem (file jobs): the messages of the oldest item in work go through as they
//    are, announced by WM_ITEM_STATUS 0 (sent); the other workers' are dropped.
class WorkerPool {
  public:
    enum class Shown { kBehind, kOldestItem };
    // One item's work on a worker: nonzero when done or cancelled (context.aborted tells),
    // 0 after it logged why it failed. Work that is dropped unrun (after a failure or a
    // cancel) is destroyed: whatever it owns (a temporary file) must clean up then.
    using Work = std::function<int(JobContext& context)>;

    // Starts a thread: StartWorkerThread unless a test stands in for it.
    using ThreadStarter = std::function<std::thread(std::function<void()> body, int threadPriority,
                                                    ThreadFailure onFailure)>;

    // Starts `workers` threads at the ThreadPriority of the job's settings, for a job of
    // `itemCount` items. While the pool lives, jobContext reads the shared cancel flag. A thread
    // the system will not start leaves the work to the ones that did; when none did, the job fails
    // with a log line.
    WorkerPool(JobContext& jobContext, std::size_t itemCount, int workers, Shown shown,
               ThreadStarter starter = {});
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues item `number` (1-based in the job's list); waits while as many items as
    // there are workers wait already. False, the work dropped, once an item failed or the
    // job was cancelled: the caller begins nothing more.
    bool Submit(int number, const std::string& name, Work work);

    // Runs every queued item to its end (or drops them after a failure or a cancel) and
    // joins the workers. jobContext gets its own targets back and, when anything was
    // cancelled, aborted set.
    void Finish();

    bool failed() const;
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }

  private:
    class ProgressRelay;
    struct Entry {
        int number = 0;
        std::string name;
        Work work;
    };

    void WorkerLoop(ProgressRelay& relay, JobContext& context);
    // A new oldest item in work is announced; called with the lock held, it only queues
    // the announcement (Deliver sends it).
    void UpdateShown();
    // Queues a message for the progress window; called with the lock held.
    void Queue(Message message, bool wait);
    // Sends what is queued, in order, outside the lock: a worker never holds the pool
    // while the window takes its time, and one thread delivers at a time. A thread that
    // finds another delivering leaves its messages to that one.
    void Deliver();
    void FailWith(const std::string& text);

    JobContext& jobContext_;
    const Shown shownMode_;
    const int itemCount_;
    const std::size_t capacity_;
    MessageTarget* const progressWindow_;
    MessageTarget* const mainWindow_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> cancelReported_{false};
    std::atomic<int> shown_{0};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> queue_;
    std::set<int> running_;
    int highestBegun_ = 0;
    std::vector<std::string> names_;  // by item number, for the announcements
    bool closing_ = false;
    bool failed_ = false;
    bool finished_ = false;
    // For the progress window, in order. A message sent (waited for) is handed over by the
    // thread that queued it, never by another: a window slow to answer one worker must
    // not hold a second worker that only happened to be delivering.
    struct Outgoing {
        Message message;
        bool wait = false;
        std::thread::id owner;
    };
    std::deque<Outgoing> outbox_;
    bool delivering_ = false;
    std::condition_variable delivered_;

    std::vector<std::unique_ptr<ProgressRelay>> relays_;
    std::vector<std::thread> threads_;
};

}  // namespace korvida
