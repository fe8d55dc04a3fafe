#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "core/jobs/MessageTarget.h"

namespace korvida::test {

// Records every message a worker posts or sends, in order, for assertions from the test
// thread.
class RecordingTarget : public MessageTarget {
  public:
    void post(Message message) override { Add(std::move(message)); }
    void send(Message message) override { Add(std::move(message)); }
    using MessageTarget::post;
    using MessageTarget::send;

    std::vector<Message> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }
    // The messages with this id.
    std::vector<Message> Only(unsigned id) const {
        std::vector<Message> out;
        for (const Message& m : messages())
            if (m.id == id)
                out.push_back(m);
        return out;
    }
    // Waits for a message with `id`; returns it, or a message with id 0 after timeoutMs.
    Message WaitFor(unsigned id, int timeoutMs) const {
        std::unique_lock lock(mutex_);
        Message found;
        arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const Message& m : messages_) {
                if (m.id == id) {
                    found = m;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

  private:
    void Add(Message message) {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(std::move(message));
        }
        arrived_.notify_all();
    }
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Message> messages_;
};

}  // namespace korvida::test
