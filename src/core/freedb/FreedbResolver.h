#pragma once

#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvida {

// One address to connect to, port included.
struct FreedbAddress {
    sockaddr_storage address{};
    socklen_t length = 0;
};

// What a name lookup found: the addresses in the order to try them, or why none.
struct FreedbResolution {
    int error = 0;        // 0, or the getaddrinfo code (EAI_NONAME …)
    int systemError = 0;  // errno of the lookup when error is EAI_SYSTEM
    std::vector<FreedbAddress> addresses;
};

// Looks up `host` for a TCP connection to `port`. It may block for as long as the
// system's resolver likes, so the transport runs it on a thread of its own.
using FreedbResolver = std::function<FreedbResolution(const std::string& host, std::uint16_t port)>;

// The system's resolver (getaddrinfo): IPv6 and IPv4 addresses, in the order the system
// prefers them.
FreedbResolution ResolveWithSystem(const std::string& host, std::uint16_t port);

// A lookup running on a detached thread. The thread holds the shared state, its own copy
// of the host name and of the resolver, and nothing else, so the transfer that started
// it may stop waiting (a cancel, a deadline) and go away while the lookup still blocks.
class PendingResolution {
  public:
    // Starts `resolver` (the system's when empty). A thread that cannot be started
    // makes a finished lookup with the system's error.
    PendingResolution(FreedbResolver resolver, std::string host, std::uint16_t port);

    // Waits at most `timeout`; true when the lookup has finished (then Result holds it).
    bool WaitFor(std::chrono::milliseconds timeout);
    // The finished lookup's result; call only after WaitFor returned true.
    const FreedbResolution& Result() const { return state_->result; }

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        FreedbResolution result;
    };
    std::shared_ptr<State> state_;
};

}  // namespace korvida
