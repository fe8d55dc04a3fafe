#pragma once

#include <unistd.h>

#include <functional>
#include <utility>

namespace korvida {

// The one owner of a file descriptor: closes it with the given function (the system's
// close unless a test injects another) when it goes away. A caller that must know whether
// the close worked (a file just written) takes the descriptor back with release().
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd, std::function<int(int)> closer = ::close)
        : fd_(fd), closer_(std::move(closer)) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), closer_(std::move(other.closer_)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
            closer_ = std::move(other.closer_);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, -1); }
    void Reset() {
        if (fd_ >= 0 && closer_)
            closer_(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
    std::function<int(int)> closer_;
};

}  // namespace korvida
