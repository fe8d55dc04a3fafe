#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/jobs/MessageTarget.h"

namespace korvida {

// A MessageTarget whose messages are handled on the thread that calls Dispatch (the
// receiver). send blocks the worker until the receiver has handled the message; a send
// from the receiver's own thread is handled at once, since waiting would never end.
// The CLI pumps one of these on its main thread.
class MessageQueue : public MessageTarget {
  public:
    using Handler = std::function<void(const Message&)>;

    // The receiver thread is the one that constructs the queue.
    MessageQueue();

    void post(Message message) override;
    void send(Message message) override;
    using MessageTarget::post;
    using MessageTarget::send;

    // Handles queued messages with `handler`, waiting up to timeoutMs for the first one.
    // Returns the number handled. Call only on the receiver thread.
    int Dispatch(const Handler& handler, std::uint32_t timeoutMs);

    // Sets the handler used for sends made on the receiver thread itself.
    void SetHandler(Handler handler);

    // The receiver is going away: queued messages are dropped, senders waiting now return
    // at once, and later posts and sends are dropped. Call on the receiver thread before it
    // waits for a worker that may be sending, so the wait cannot deadlock.
    void Close();

  private:
    struct Entry {
        Message message;
        std::uint64_t ticket = 0;  // non-zero: a sender waits for this ticket
    };

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable handled_;
    std::deque<Entry> queue_;
    std::uint64_t nextTicket_ = 1;
    std::uint64_t lastHandled_ = 0;
    std::thread::id receiver_;
    Handler handler_;
    bool closed_ = false;
};

}  // namespace korvida
