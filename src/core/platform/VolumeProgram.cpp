#include "core/platform/VolumeProgram.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "core/platform/RunDetached.h"

namespace korvida {

bool IsOnPath(const std::string& program) {
    if (program.empty())
        return false;
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (true) {
        const std::size_t colon = rest.find(':');
        std::string dir(rest.substr(0, colon));
        if (dir.empty())
            dir = ".";  // an empty PATH entry means the current folder
        if (::access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (colon == std::string_view::npos)
            return false;
        rest.remove_prefix(colon + 1);
    }
}

std::vector<std::vector<std::string>> VolumeProgramCandidates() {
    std::vector<std::vector<std::string>> candidates = {{"pavucontrol"},
                                                        {"gnome-control-center", "sound"}};
    if (IsOnPath("alsamixer"))
        candidates.push_back({"x-terminal-emulator", "-e", "alsamixer"});
    return candidates;
}

bool StartVolumeProgram(const std::function<bool(const std::vector<std::string>&)>& run) {
    for (const auto& argv : VolumeProgramCandidates()) {
        const bool started = run ? run(argv) : RunDetached(argv);
        if (started)
            return true;
    }
    return false;
}

}  // namespace korvida
