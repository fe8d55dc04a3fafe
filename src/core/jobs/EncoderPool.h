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

namespace korvida {

struct RipJob;
struct Settings;

// The workers a job runs beside its own thread for an EncoderThreads setting: 0 one per
// core, otherwise the setting (at least 1).
int EncoderWorkerCount(const Settings& settings);

// Items of one job worked on by several threads at once, each with a context of its own
// that shares the job's cancel request: the stage that consumes it sets a flag that every
// other stage (the job's own thread included, through job.context while the pool lives)
// reads as a cancel too. The job-log lines go out as they happen; the one line a cancel
// is reported with goes out once.
//
// What the progress window sees depends on the mode:
//  - kBehind (a rip): the job's thread shows its own stage; each worker's encoding shows
//    as WM_ENCODE_BEHIND when it takes an item, WM_ENCODE_BEHIND_PROGRESS with the item's
//    number, and 1000 per mille when it is through with it.
//  - kOldestItem (file jobs): the messages of the oldest item in work go through as they
//    are, announced by WM_ITEM_STATUS 0 (sent); the other workers' are dropped.
class EncoderPool {
  public:
    enum class Shown { kBehind, kOldestItem };
    // One item's work on a worker: nonzero when done or cancelled (context.aborted tells),
    // 0 after it logged why it failed. Work that is dropped unrun (after a failure or a
    // cancel) is destroyed: whatever it owns (a temporary file) must clean up then.
    using Work = std::function<int(JobContext& context)>;

    // Starts `workers` threads at the job's ThreadPriority. While the pool lives,
    // job.context reads the shared cancel flag and logs through the pool.
    EncoderPool(RipJob& job, int workers, Shown shown);
    ~EncoderPool();
    EncoderPool(const EncoderPool&) = delete;
    EncoderPool& operator=(const EncoderPool&) = delete;

    // Queues item `number` (1-based in the job's list); waits while as many items as
    // there are workers wait already. False, the work dropped, once an item failed or the
    // job was cancelled: the caller begins nothing more.
    bool Submit(int number, const std::string& name, Work work);

    // Runs every queued item to its end (or drops them after a failure or a cancel) and
    // joins the workers. job.context gets its own targets back and, when anything was
    // cancelled, aborted set.
    void Finish();

    bool failed() const;
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }

  private:
    class ProgressRelay;
    class LogRelay : public MessageTarget {
      public:
        explicit LogRelay(MessageTarget* target) : target_(target) {}
        void post(Message message) override;
        void send(Message message) override;

      private:
        bool Pass(const Message& message);
        MessageTarget* target_;
        std::atomic<bool> cancelLogged_{false};
    };
    struct Entry {
        int number = 0;
        std::string name;
        Work work;
    };

    void WorkerLoop(ProgressRelay& relay, JobContext& context);
    // A new oldest item in work is announced; called with the lock held.
    void UpdateShown();

    RipJob& job_;
    const Shown shownMode_;
    const int itemCount_;
    const std::size_t capacity_;
    MessageTarget* const progressWindow_;
    MessageTarget* const mainWindow_;
    LogRelay log_;
    std::atomic<bool> cancelled_{false};
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

    std::vector<std::unique_ptr<ProgressRelay>> relays_;
    std::vector<std::thread> threads_;
};

}  // namespace korvida
