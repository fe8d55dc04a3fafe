#include "core/jobs/MessageQueue.h"

#include <chrono>

namespace korvida {

MessageQueue::MessageQueue() : receiver_(std::this_thread::get_id()) {}

void MessageQueue::SetHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void MessageQueue::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        // A dropped send's sender returns unhandled; its message must not be handled later,
        // when what it points to (a job) may be gone.
        queue_.clear();
    }
    handled_.notify_all();
    arrived_.notify_all();
}

void MessageQueue::post(Message message) {
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        queue_.push_back(Entry{std::move(message), 0});
    }
    arrived_.notify_one();
}

void MessageQueue::send(Message message) {
    if (std::this_thread::get_id() == receiver_) {
        Handler handler;
        {
            std::lock_guard lock(mutex_);
            if (closed_)
                return;
            handler = handler_;
        }
        if (handler)
            handler(message);
        return;
    }
    std::unique_lock lock(mutex_);
    if (closed_)
        return;
    const std::uint64_t ticket = nextTicket_++;
    queue_.push_back(Entry{std::move(message), ticket});
    arrived_.notify_one();
    // Sends are handled in queue order, so "handled up to" is enough to know ours is done.
    handled_.wait(lock, [&] { return lastHandled_ >= ticket || closed_; });
}

int MessageQueue::Dispatch(const Handler& handler, std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return !queue_.empty() || closed_; });
    int count = 0;
    while (!queue_.empty()) {
        Entry entry = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        handler(entry.message);
        ++count;
        lock.lock();
        if (entry.ticket != 0) {
            lastHandled_ = entry.ticket;
            handled_.notify_all();
        }
    }
    return count;
}

}  // namespace korvida
