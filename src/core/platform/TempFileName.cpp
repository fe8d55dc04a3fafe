#include "core/platform/TempFileName.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "core/platform/ErrorText.h"

namespace korvida {

std::string TempFileName(const std::string& folder, std::string* errorText) {
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += "PWXXXXXX.tmp";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemps(buffer.data(), 4);  // 4 = length of ".tmp"
    if (fd < 0) {
        if (errorText)
            *errorText = ErrorText(errno);
        return {};
    }
    ::close(fd);
    return std::string(buffer.data());
}

}  // namespace korvida
