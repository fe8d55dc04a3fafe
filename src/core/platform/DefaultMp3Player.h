#pragma once

#include <string>
#include <vector>

namespace korvida {

// The program that plays MP3 files and the words it is started with.
struct Mp3Player {
    // The player as messages name it: the MP3Player setting, or the desktop default's
    // program.
    std::string program;
    // The program and its parameters as words, field codes still in them; empty when
    // they do not parse (a quote left open), so that the start fails and says so.
    std::vector<std::string> command;
};

// The MP3Player setting with trailing blanks removed, with MP3PlayerParameters after it.
// A setting that names an existing file is that program whole, blanks and all (the
// options page's file chooser writes it so); any other setting, and the parameters, are
// read as a desktop entry's Exec line, so quotes group words and field codes (%f, %U, …)
// say where the file goes. When the setting is empty: the desktop's default application
// for audio/mpeg (xdg-mime), its Exec line, and no parameters. Empty when there is none.
Mp3Player ResolveMp3Player(const std::string& setting, const std::string& parameters);

// The argument vector that plays `file` (passed whole: no shell sees it), where the
// field codes ask for it or else last; with an empty `file`, the player alone.
std::vector<std::string> PlayerCommand(const Mp3Player& player, const std::string& file);

}  // namespace korvida
