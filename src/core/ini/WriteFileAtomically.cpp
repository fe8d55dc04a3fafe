#include "core/ini/WriteFileAtomically.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/platform/ErrorText.h"

namespace korvida {
namespace {

bool Fail(std::string* errorText, const std::string& path, int err) {
    if (errorText)
        *errorText = path + ": " + ErrorText(err);
    return false;
}

// Owns the temporary file until it has been renamed into place.
class TempFile {
  public:
    explicit TempFile(std::string pattern) : name_(pattern.begin(), pattern.end()) {
        name_.push_back('\0');
        fd_ = ::mkstemp(name_.data());
    }
    ~TempFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!renamed_ && fd_ != -2)
            ::unlink(name_.data());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    const char* name() const { return name_.data(); }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void MarkRenamed() { renamed_ = true; }

  private:
    std::vector<char> name_;
    int fd_ = -1;
    bool renamed_ = false;
};

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
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

mode_t ModeFor(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* errorText) {
    TempFile temp(path + ".XXXXXX");
    if (temp.fd() < 0)
        return Fail(errorText, path, errno);

    // mkstemp creates the file 0600. A file being replaced keeps its permissions (a
    // Settings.ini the user made private holds the proxy password); a new one gets the
    // usual permissions under the user's umask.
    ::fchmod(temp.fd(), ModeFor(path));

    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd(), data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errorText, path, errno);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(temp.fd()) != 0)
        return Fail(errorText, path, errno);
    if (!temp.Close())
        return Fail(errorText, path, errno);
    if (std::rename(temp.name(), path.c_str()) != 0)
        return Fail(errorText, path, errno);
    temp.MarkRenamed();
    return true;
}

}  // namespace korvida
