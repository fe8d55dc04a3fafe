#pragma once

#include <string>
#include <vector>

namespace korvida {

// Runs argv[0] (looked up on PATH) without a shell, waits for it and collects its
// standard output (at most 1 MiB). True when it ran and exited with status 0. A program
// still running after timeoutMs is killed and counts as failed: the desktop helpers run
// at start-up and exit, which must not hang on them.
bool RunCommand(const std::vector<std::string>& argv, std::string* output = nullptr,
                int timeoutMs = 5000);

}  // namespace korvida
