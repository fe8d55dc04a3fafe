#pragma once

#include <string>
#include <vector>

namespace korvida {

// Runs argv[0] (looked up on PATH) without a shell, waits for it and collects its
// standard output (at most 1 MiB). True when it ran and exited with status 0.
bool RunCommand(const std::vector<std::string>& argv, std::string* output = nullptr);

}  // namespace korvida
