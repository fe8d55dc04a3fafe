#include "core/jobs/WorkerPool.h"

#include <algorithm>
#include <optional>

#include "core/jobs/JobLogLine.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerThread.h"
#include "core/settings/Settings.h"

namespace korvida {

int EncoderWorkerCount(const Settings& settings) {
    if (settings.EncoderThreads > 0)
        return settings.EncoderThreads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// One worker's progress target: passes or translates the messages of the item the window
// follows, drops the others.
class WorkerPool::ProgressRelay : public MessageTarget {
  public:
    ProgressRelay(WorkerPool& pool) : pool_(pool) {}
    void post(Message message) override { Deliver(std::move(message), false); }
    void send(Message message) override { Deliver(std::move(message), true); }

    std::atomic<int> number{0};
    // File jobs: the last status of this item while another was shown, given to the
    // window when this one comes to be shown (guarded by the pool's mutex).
    std::optional<Message> pending;

  private:
    static bool IsStatus(const Message& m) {
        return m.id == WM_DECODE_STATUS || m.id == WM_ENCODE_STATUS ||
               (m.id == WM_ITEM_STATUS && m.wParam != 0);
    }
    void Deliver(Message message, bool wait) {
        if (pool_.shownMode_ == Shown::kOldestItem && IsStatus(message)) {
            // Under the lock: the item may come to be shown between the test and the
            // keeping, and its caption would be lost.
            std::lock_guard lock(pool_.mutex_);
            if (!Shown()) {
                pending = std::move(message);
                return;
            }
            pool_.Queue(std::move(message), wait);
        } else {
            if (!Translate(message))
                return;
            std::lock_guard lock(pool_.mutex_);
            pool_.Queue(std::move(message), wait);
        }
        pool_.Deliver();
    }
    bool Shown() const {
        return number.load(std::memory_order_relaxed) ==
               pool_.shown_.load(std::memory_order_acquire);
    }
    bool Translate(Message& message) {
        if (pool_.shownMode_ == Shown::kOldestItem)
            return Shown();
        // Behind a rip every worker's item has its line: its progress names it.
        if (message.id == WM_ENCODE_PROGRESS || message.id == WM_EXTRACT_PROGRESS) {
            message.id = WM_ENCODE_BEHIND_PROGRESS;
            message.lParam = number.load(std::memory_order_relaxed);
            return true;
        }
        return false;  // the pool announces the item itself
    }
    WorkerPool& pool_;
};

WorkerPool::WorkerPool(JobContext& jobContext, std::size_t itemCount, int workers, Shown shown,
                       ThreadStarter starter)
    : jobContext_(jobContext),
      shownMode_(shown),
      itemCount_(static_cast<int>(itemCount)),
      capacity_(static_cast<std::size_t>(std::max(workers, 1))),
      progressWindow_(jobContext.progressWindow),
      mainWindow_(jobContext.mainWindow),
      names_(itemCount + 1) {
    if (!starter)
        starter = StartWorkerThread;
    jobContext.jobCancelled = &cancelled_;
    jobContext.cancelReported = &cancelReported_;
    // Room for every thread first: a started thread dropped by a failing push_back would
    // end the program.
    threads_.reserve(capacity_);
    relays_.reserve(capacity_);
    for (std::size_t i = 0; i < capacity_; ++i) {
        relays_.push_back(std::make_unique<ProgressRelay>(*this));
        ProgressRelay& relay = *relays_.back();
        JobContext context = jobContext;
        context.progressWindow = progressWindow_ ? &relay : nullptr;
        context.aborted = false;
        try {
            threads_.push_back(
                starter([this, &relay, context]() mutable { WorkerLoop(relay, context); },
                        jobContext.settings->ThreadPriority,
                        [this](const std::string& text) { FailWith(text); }));
        } catch (const std::exception& error) {
            // Out of threads (std::system_error) or memory: the ones running do the work.
            relays_.pop_back();
            if (threads_.empty())
                FailWith(UnexpectedErrorText(error.what()));
            break;
        }
    }
}

void WorkerPool::FailWith(const std::string& text) {
    SendJobLog(mainWindow_, JobLogLine(StampStyle::kSquareBrackets, text));
    std::lock_guard lock(mutex_);
    failed_ = true;
    closing_ = true;
    queue_.clear();
    changed_.notify_all();
}

WorkerPool::~WorkerPool() {
    Finish();
}

bool WorkerPool::Submit(int number, const std::string& name, Work work) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || cancelled() || queue_.size() < capacity_; });
    if (failed_ || cancelled())
        return false;  // `work` is dropped on return
    if (number > 0 && static_cast<std::size_t>(number) < names_.size())
        names_[static_cast<std::size_t>(number)] = name;
    queue_.push_back(Entry{number, name, std::move(work)});
    changed_.notify_all();
    return true;
}

void WorkerPool::WorkerLoop(ProgressRelay& relay, JobContext& context) {
    for (;;) {
        Entry entry;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !queue_.empty() || closing_; });
            if (queue_.empty())
                return;
            entry = std::move(queue_.front());
            queue_.pop_front();
            relay.number = entry.number;
            relay.pending.reset();
            // Behind a rip, the worker that takes an item announces it and ends it (1000
            // per mille), so its line comes and goes with its own progress.
            if (shownMode_ == Shown::kBehind && progressWindow_)
                Queue(Message{WM_ENCODE_BEHIND, entry.number, itemCount_, entry.name}, false);
            running_.insert(entry.number);
            highestBegun_ = std::max(highestBegun_, entry.number);
            UpdateShown();
            changed_.notify_all();  // the reader may queue the next one
        }
        Deliver();
        context.aborted = false;
        const int ok = entry.work(context);
        entry.work = nullptr;  // what it owned goes before the next item is taken
        {
            std::lock_guard lock(mutex_);
            if (shownMode_ == Shown::kBehind && progressWindow_)
                Queue(Message{WM_ENCODE_BEHIND_PROGRESS, 1000, entry.number, {}}, false);
            running_.erase(entry.number);
            if (!ok)
                failed_ = true;
            if (!ok || context.aborted || cancelled())
                queue_.clear();  // nothing more begins
            UpdateShown();
            changed_.notify_all();
        }
        Deliver();
    }
}

void WorkerPool::Queue(Message message, bool wait) {
    outbox_.push_back(Outgoing{std::move(message), wait, std::this_thread::get_id()});
}

void WorkerPool::Deliver() {
    std::unique_lock lock(mutex_);
    if (!progressWindow_)
        return;
    const auto me = std::this_thread::get_id();
    const auto waitsOnMe = [&] {
        return std::any_of(outbox_.begin(), outbox_.end(),
                           [&](const Outgoing& o) { return o.wait && o.owner == me; });
    };
    for (;;) {
        const bool othersSend =
            !outbox_.empty() && outbox_.front().wait && outbox_.front().owner != me;
        if (delivering_ || othersSend || outbox_.empty()) {
            // What is left is another thread's to hand over; only a send of ours must
            // wait here until its turn comes.
            if (!waitsOnMe())
                return;
            delivered_.wait(lock);
            continue;
        }
        Outgoing next = std::move(outbox_.front());
        outbox_.pop_front();
        delivering_ = true;
        lock.unlock();
        try {
            if (next.wait)
                progressWindow_->send(std::move(next.message));
            else
                progressWindow_->post(std::move(next.message));
        } catch (...) {
            lock.lock();
            delivering_ = false;
            delivered_.notify_all();
            throw;
        }
        lock.lock();
        delivering_ = false;
        delivered_.notify_all();
    }
}

void WorkerPool::UpdateShown() {
    if (!progressWindow_)
        return;
    if (shownMode_ == Shown::kBehind)
        return;  // each worker announces its own items
    // Items that ended while an older one was shown are announced on the way, so the
    // window's count stays with the list.
    const int target = running_.empty() ? highestBegun_ : *running_.begin();
    const int before = shown_.load();
    if (target <= before)
        return;
    shown_ = target;
    for (int n = before + 1; n <= target; ++n)
        Queue(Message{WM_ITEM_STATUS, 0, 0, names_[static_cast<std::size_t>(n)]}, true);
    for (const auto& relay : relays_)
        if (relay->number == target && relay->pending) {
            Queue(std::move(*relay->pending), true);
            relay->pending.reset();
        }
}

void WorkerPool::Finish() {
    if (finished_)
        return;
    finished_ = true;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        if (cancelled())
            queue_.clear();
        changed_.notify_all();
    }
    for (std::thread& thread : threads_)
        if (thread.joinable())
            thread.join();
    jobContext_.jobCancelled = nullptr;
    jobContext_.cancelReported = nullptr;
    if (cancelled())
        jobContext_.aborted = true;
}

bool WorkerPool::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

}  // namespace korvida
