#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvida::test {

// The socket half of the tests' servers: it listens on the loopback address, accepts on a
// thread of its own and hands each connection to `serve` on another thread, closing the
// connection when `serve` returns. A protocol's server owns one and keeps only its own
// reading and answering. Everything waits in short slices, so Stop returns promptly while
// a connection is held open.
class LoopbackServer {
  public:
    enum class Family { kIpv4, kIpv6 };
    static constexpr int kSliceMs = 20;

    // Listens on 127.0.0.1 or ::1 (throws when that cannot be bound).
    explicit LoopbackServer(std::function<void(int fd)> serve, Family family = Family::kIpv4);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }
    // Connections accepted so far.
    int Connections() const { return connections_.load(); }
    bool stopping() const { return stopping_.load(); }
    // Stops accepting and waits for every connection's `serve` to return. The owner
    // calls it before the state its `serve` reads goes away.
    void Stop();

    // Appends what arrives on `fd` within one slice: false when the peer closed.
    static bool ReceiveSlice(int fd, std::string& into);
    static bool SendAll(int fd, const std::string& bytes);
    // Sleeps in slices until `until` or until the server stops; false when it stopped.
    bool SleepUntil(std::chrono::steady_clock::time_point until) const;

  private:
    void AcceptLoop();

    std::function<void(int)> serve_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread acceptThread_;
    std::mutex mutex_;
    std::vector<std::thread> workers_;
};

// The requests a server has seen, in arrival order, with a wait for the n-th.
template <typename Request>
class RequestLog {
  public:
    void Add(Request request) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(std::move(request));
        }
        recorded_.notify_all();
    }
    std::vector<Request> All() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // False when fewer than `count` have arrived after timeoutMs.
    bool WaitFor(std::size_t count, int timeoutMs) const {
        std::unique_lock lock(mutex_);
        return recorded_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return requests_.size() >= count; });
    }

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable recorded_;
    std::vector<Request> requests_;
};

}  // namespace korvida::test
