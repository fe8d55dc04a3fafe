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
