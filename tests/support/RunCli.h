#pragma once

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

// The lines of a program's output, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace korvida::test
