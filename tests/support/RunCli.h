#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvida::test {

struct CliResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// The built korvida-cli's argument vector for execv: its path, then `args`, then null.
class CliArgv {
  public:
    explicit CliArgv(const std::vector<std::string>& args);
    const char* path() const { return words_.front().c_str(); }
    char* const* data() const { return pointers_.data(); }

  private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

// Runs the built korvida-cli with the given arguments and the current environment
// (set KORVIDA_HOME first, e.g. with TempHome).
CliResult RunCli(const std::vector<std::string>& args);

// Runs korvida-cli as RunCli does, sends it SIGINT (Ctrl+C) once `ready` holds (polled;
// at once after 30 s), and gives its exit status and the seconds from the signal to its end.
struct InterruptedCli {
    int status = -1;
    double secondsAfterSignal = 0;
};
InterruptedCli InterruptCli(const std::vector<std::string>& args,
                            const std::function<bool()>& ready);

// The lines of a program's output, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace korvida::test
