#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "core/jobs/MessageTarget.h"

namespace korvida::test {

// A MessageTarget that keeps every message, for assertions from the test thread.
class MessageRecorder : public MessageTarget {
  public:
    void post(Message message) override {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(std::move(message));
        }
        arrived_.notify_all();
    }
    void send(Message message) override { post(std::move(message)); }
    using MessageTarget::post;
    using MessageTarget::send;

    std::vector<Message> Messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
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
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Message> messages_;
};

}  // namespace korvida::test
