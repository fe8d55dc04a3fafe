#include "core/jobs/EncoderPool.h"

#include <algorithm>
#include <optional>

#include "core/jobs/JobLogLine.h"
#include "core/jobs/Messages.h"
#include "core/jobs/RipJob.h"
#include "core/jobs/WorkerThread.h"

namespace korvida {
namespace {

constexpr std::string_view kCancelLine = "用户取消操作。";

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

int EncoderWorkerCount(const Settings& settings) {
    if (settings.EncoderThreads > 0)
        return settings.EncoderThreads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// One worker's progress target: passes or translates the messages of the item the window
// follows, drops the others.
class EncoderPool::ProgressRelay : public MessageTarget {
  public:
    ProgressRelay(EncoderPool& pool) : pool_(pool) {}
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
            Forward(std::move(message), wait);
            return;
        }
        if (Translate(message))
            Forward(std::move(message), wait);
    }
    bool Shown() const {
        return number.load(std::memory_order_relaxed) ==
               pool_.shown_.load(std::memory_order_acquire);
    }
    void Forward(Message message, bool wait) {
        if (wait)
            pool_.progressWindow_->send(std::move(message));
        else
            pool_.progressWindow_->post(std::move(message));
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
    EncoderPool& pool_;
};

bool EncoderPool::LogRelay::Pass(const Message& message) {
    // Every stage a cancel stops reports it; the log tells it once.
    if (message.id != WM_JOB_LOG || !EndsWith(message.text, kCancelLine))
        return true;
    return !cancelLogged_.exchange(true);
}

void EncoderPool::LogRelay::post(Message message) {
    if (target_ && Pass(message))
        target_->post(std::move(message));
}

void EncoderPool::LogRelay::send(Message message) {
    if (target_ && Pass(message))
        target_->send(std::move(message));
}

EncoderPool::EncoderPool(RipJob& job, int workers, Shown shown)
    : job_(job),
      shownMode_(shown),
      itemCount_(static_cast<int>(job.items.size())),
      capacity_(static_cast<std::size_t>(std::max(workers, 1))),
      progressWindow_(job.context.progressWindow),
      mainWindow_(job.context.mainWindow),
      log_(job.context.mainWindow),
      names_(job.items.size() + 1) {
    job.context.jobCancelled = &cancelled_;
    job.context.mainWindow = &log_;
    for (int i = 0; i < std::max(workers, 1); ++i) {
        relays_.push_back(std::make_unique<ProgressRelay>(*this));
        ProgressRelay& relay = *relays_.back();
        JobContext context = job.context;
        context.progressWindow = progressWindow_ ? &relay : nullptr;
        context.aborted = false;
        threads_.push_back(
            StartWorkerThread([this, &relay, context]() mutable { WorkerLoop(relay, context); },
                              job.settings.ThreadPriority,
                              [this](const std::string& text) {
                                  SendJobLog(&log_, JobLogLine(StampStyle::kSquareBrackets, text));
                                  std::lock_guard lock(mutex_);
                                  failed_ = true;
                                  closing_ = true;
                                  queue_.clear();
                                  changed_.notify_all();
                              }));
    }
}

EncoderPool::~EncoderPool() {
    Finish();
}

bool EncoderPool::Submit(int number, const std::string& name, Work work) {
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

void EncoderPool::WorkerLoop(ProgressRelay& relay, JobContext& context) {
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
            running_.insert(entry.number);
            highestBegun_ = std::max(highestBegun_, entry.number);
            UpdateShown();
            changed_.notify_all();  // the reader may queue the next one
        }
        // Behind a rip, each item is announced by the worker that takes it and ended by
        // it, so its line comes and goes in the order of its progress.
        const bool announce = shownMode_ == Shown::kBehind && progressWindow_;
        if (announce)
            progressWindow_->post(WM_ENCODE_BEHIND, entry.number, itemCount_, entry.name);
        context.aborted = false;
        const int ok = entry.work(context);
        entry.work = nullptr;  // what it owned goes before the next item is taken
        if (announce)
            progressWindow_->post(WM_ENCODE_BEHIND_PROGRESS, 1000, entry.number);
        std::lock_guard lock(mutex_);
        running_.erase(entry.number);
        if (!ok)
            failed_ = true;
        if (!ok || context.aborted || cancelled())
            queue_.clear();  // nothing more begins
        UpdateShown();
        changed_.notify_all();
    }
}

void EncoderPool::UpdateShown() {
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
        progressWindow_->send(WM_ITEM_STATUS, 0, 0, names_[static_cast<std::size_t>(n)]);
    for (const auto& relay : relays_)
        if (relay->number == target && relay->pending) {
            progressWindow_->send(std::move(*relay->pending));
            relay->pending.reset();
        }
}

void EncoderPool::Finish() {
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
    job_.context.jobCancelled = nullptr;
    job_.context.mainWindow = mainWindow_;
    if (cancelled())
        job_.context.aborted = true;
}

bool EncoderPool::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

}  // namespace korvida
