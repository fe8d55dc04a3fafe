#pragma once

#include <string>
#include <vector>

namespace korvida {

// The program that plays MP3 files, and the parameters put before each file.
struct Mp3Player {
    std::string program;
    std::string parameters;
};

// The MP3Player setting with trailing blanks removed, with MP3PlayerParameters. When
// the setting is empty: the desktop's default application for audio/mpeg (xdg-mime),
// its Exec line without field codes, and no parameters. Empty when there is none.
Mp3Player ResolveMp3Player(const std::string& setting, const std::string& parameters);

// The desktop entry's command for an Exec line: field codes (%f, %U, …) removed, "%%"
// kept as '%', blanks trimmed.
std::string ExecCommandOf(const std::string& execLine);

// The argument vector that plays `file`: the program's words, the parameters' words,
// then the file (passed whole: no shell sees it).
std::vector<std::string> PlayerCommand(const Mp3Player& player, const std::string& file);

}  // namespace korvida
