#include "core/platform/TemporaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/platform/ErrorText.h"

namespace korvida {
namespace {

// The process umask without changing it: other threads may be creating files meanwhile,
// and a umask briefly set to 0 would leave theirs writable by everyone.
mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    return 022;
}

}  // namespace

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : path_(std::exchange(other.path_, {})) {}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

TemporaryFile TemporaryFile::Create(std::string_view folder, std::string_view prefix,
                                    std::string_view suffix, Access access,
                                    std::string* errorText) {
    std::string pattern(folder);
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += prefix;
    pattern += "XXXXXX";
    pattern += suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkstemps creates the file exclusively, so no file or link already there is opened.
    const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        if (errorText)
            *errorText = ErrorText(errno);
        return {};
    }
    TemporaryFile file{std::string(name.data())};
    // mkstemps makes it 0600; a file that becomes an output is made as any other would be.
    const bool ok = access == Access::kPrivate || ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok) {
        if (errorText)
            *errorText = ErrorText(error);
        return {};
    }
    return file;
}

TemporaryFile TemporaryFile::CreateBeside(const std::string& target, std::string* errorText) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    return Create(folder, "PW", ".part", Access::kShared, errorText);
}

std::string TemporaryFile::Keep() {
    return std::exchange(path_, {});
}

bool TemporaryFile::MoveTo(const std::string& target, std::string* errorText) {
    if (std::rename(path_.c_str(), target.c_str()) != 0) {
        if (errorText)
            *errorText = ErrorText(errno);
        return false;
    }
    path_.clear();
    return true;
}

void TemporaryFile::Discard() {
    if (!path_.empty())
        ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace korvida
