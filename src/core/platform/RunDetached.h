#pragma once

#include <string>
#include <vector>

namespace korvida {

// Starts argv[0] (looked up on PATH) with the given arguments, without a shell, detached
// from this process so it outlives it and leaves no zombie. True when the program was
// started; false when it could not be found or executed (*errorText says why).
bool RunDetached(const std::vector<std::string>& argv, std::string* errorText = nullptr);

// Opens a file or folder with the desktop's default program (xdg-open), like the shell
// verbs "open" and "explore". $KORVIDA_OPEN_COMMAND replaces xdg-open (tests use it).
bool OpenWithDesktop(const std::string& path, std::string* errorText = nullptr);

}  // namespace korvida
