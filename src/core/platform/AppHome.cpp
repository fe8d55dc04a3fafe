#include "core/platform/AppHome.h"

#include <cstdlib>
#include <fstream>

namespace korvida {
namespace {

std::string EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string UserHome() {
    std::string home = EnvOrEmpty("HOME");
    return home.empty() ? std::string("/tmp") : home;
}

// XDG_MUSIC_DIR from user-dirs.dirs, whose values look like "$HOME/Music".
std::string XdgMusicDir() {
    std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
    if (config.empty())
        config = UserHome() + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_MUSIC_DIR=";
        if (line.rfind(key, 0) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = UserHome() + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return value;
    }
    return UserHome() + "/Music";
}

}  // namespace

bool IsPortableMode() {
    return !EnvOrEmpty("KORVIDA_HOME").empty();
}

std::string AppHome() {
    std::string home = EnvOrEmpty("KORVIDA_HOME");
    if (!home.empty())
        return WithSlash(home);
    std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/')
        config = UserHome() + "/.config";
    return WithSlash(config) + "korvida/";
}

std::string DefaultOutputFolder() {
    if (IsPortableMode())
        return AppHome() + "output";
    std::string music = XdgMusicDir();
    while (music.size() > 1 && music.back() == '/')
        music.pop_back();
    return music + "/Korvida";
}

std::string SystemTempFolder() {
    std::string tmp = EnvOrEmpty("TMPDIR");
    if (tmp.empty() || tmp.front() != '/')
        tmp = "/tmp";
    return WithSlash(tmp);
}

}  // namespace korvida
