#pragma once

#include <csignal>
#include <iterator>

namespace korvida {

// While it lives, `handler` takes the signals by which the process is asked to end
// (SIGINT, SIGTERM, SIGHUP) instead of their default action; it restores the previous
// handlers when it goes. No SA_RESETHAND: a second signal must not end the program
// before the clean-up the first one asked for. SA_RESTART: the program's blocking calls
// carry on, the handler only records.
class EndingSignalHandler {
  public:
    explicit EndingSignalHandler(void (*handler)(int));
    ~EndingSignalHandler();
    EndingSignalHandler(const EndingSignalHandler&) = delete;
    EndingSignalHandler& operator=(const EndingSignalHandler&) = delete;

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[std::size(kSignals)]{};
};

}  // namespace korvida
