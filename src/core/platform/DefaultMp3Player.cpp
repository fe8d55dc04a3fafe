#include "core/platform/DefaultMp3Player.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/platform/RunCommand.h"

namespace korvida {
namespace {

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' ||
                             text.back() == '\r'))
        text.pop_back();
    return text;
}

std::string TrimLeft(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// Folders that hold desktop entries, most personal first.
std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && *dataHome)
        folders.push_back(std::string(dataHome) + "/applications/");
    else if (home && *home)
        folders.push_back(std::string(home) + "/.local/share/applications/");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    std::istringstream in(list);
    for (std::string dir; std::getline(in, dir, ':');)
        if (!dir.empty())
            folders.push_back(dir + "/applications/");
    return folders;
}

std::string DesktopExecLine(const std::string& desktopFile) {
    for (const std::string& folder : ApplicationFolders()) {
        std::ifstream in(folder + desktopFile);
        if (!in)
            continue;
        bool inEntry = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] == '[')
                inEntry = TrimRight(line) == "[Desktop Entry]";
            else if (inEntry && line.rfind("Exec=", 0) == 0)
                return line.substr(5);
        }
    }
    return {};
}

}  // namespace

std::string ExecCommandOf(const std::string& execLine) {
    std::string command;
    for (std::size_t i = 0; i < execLine.size(); ++i) {
        if (execLine[i] != '%') {
            command += execLine[i];
        } else if (i + 1 < execLine.size()) {
            if (execLine[i + 1] == '%')
                command += '%';
            ++i;  // a field code stands for the files, which we pass ourselves
        }
    }
    return TrimLeft(TrimRight(command));
}

Mp3Player ResolveMp3Player(const std::string& setting, const std::string& parameters) {
    Mp3Player player{TrimRight(setting), parameters};
    if (!player.program.empty())
        return player;
    player.parameters.clear();
    std::string desktopFile;
    if (!RunCommand({"xdg-mime", "query", "default", "audio/mpeg"}, &desktopFile))
        return player;
    desktopFile = TrimLeft(TrimRight(desktopFile));
    if (desktopFile.empty() || desktopFile.find('/') != std::string::npos)
        return player;
    player.program = ExecCommandOf(DesktopExecLine(desktopFile));
    return player;
}

std::vector<std::string> PlayerCommand(const Mp3Player& player, const std::string& file) {
    std::vector<std::string> argv = Words(player.program);
    for (std::string& w : Words(player.parameters))
        argv.push_back(std::move(w));
    argv.push_back(file);
    return argv;
}

}  // namespace korvida
