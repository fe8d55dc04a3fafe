#pragma once

#include <cstdint>
#include <string>

namespace korvida {

// One message from a worker. It owns its text, so nothing dangles when the job that
// sent it has ended before the receiver reads it.
struct Message {
    unsigned id = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::string text;
};

// Where a worker's messages go: the GUI marshals them to the UI thread, the CLI prints
// them, the tests record them. Implementations are called from worker threads.
class MessageTarget {
  public:
    virtual ~MessageTarget() = default;

    // Asynchronous: queues the message and returns at once (progress, status).
    virtual void post(Message message) = 0;
    // Synchronous: returns after the receiver has handled the message (job log lines,
    // end of job), so the worker may rely on it having been seen.
    virtual void send(Message message) = 0;

    void post(unsigned id, std::intptr_t wParam = 0, std::intptr_t lParam = 0,
              std::string text = {}) {
        post(Message{id, wParam, lParam, std::move(text)});
    }
    void send(unsigned id, std::intptr_t wParam = 0, std::intptr_t lParam = 0,
              std::string text = {}) {
        send(Message{id, wParam, lParam, std::move(text)});
    }
};

}  // namespace korvida
