#include "core/platform/DefaultMp3Player.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/platform/ExecLine.h"
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
            else if (inEntry && line.rfind("Exec", 0) == 0) {
                // Blanks around '=' do not count.
                const std::string rest = TrimLeft(line.substr(4));
                if (!rest.empty() && rest[0] == '=')
                    return TrimLeft(TrimRight(rest.substr(1)));
            }
        }
    }
    return {};
}

}  // namespace

Mp3Player ResolveMp3Player(const std::string& setting, const std::string& parameters) {
    Mp3Player player{TrimRight(setting), {}};
    if (!player.program.empty()) {
        std::error_code error;
        std::optional<std::vector<std::string>> words;
        if (std::filesystem::is_regular_file(player.program, error))
            words = std::vector<std::string>{player.program};
        else
            words = SplitExecLine(player.program);
        const auto more = SplitExecLine(parameters);
        if (words && more) {
            player.command = std::move(*words);
            player.command.insert(player.command.end(), more->begin(), more->end());
        }
        return player;
    }
    std::string desktopFile;
    if (!RunCommand({"xdg-mime", "query", "default", "audio/mpeg"}, &desktopFile))
        return player;
    desktopFile = TrimLeft(TrimRight(desktopFile));
    if (desktopFile.empty() || desktopFile.find('/') != std::string::npos)
        return player;
    const auto words = SplitExecLine(UnescapeDesktopValue(DesktopExecLine(desktopFile)));
    if (words && !words->empty()) {
        player.program = words->front();
        player.command = *words;
    }
    return player;
}

std::vector<std::string> PlayerCommand(const Mp3Player& player, const std::string& file) {
    if (player.command.empty())
        return {};
    return ExpandFieldCodes(player.command, file);
}

}  // namespace korvida
