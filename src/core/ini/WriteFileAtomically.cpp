#include "core/ini/WriteFileAtomically.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/ErrorText.h"
#include "core/platform/TemporaryFile.h"

namespace korvida {
namespace {

bool Fail(std::string* errorText, const std::string& path, const std::string& reason) {
    if (errorText)
        *errorText = path + ": " + reason;
    return false;
}

// A file being replaced keeps its permissions (a Settings.ini the user made private holds
// the proxy password); a new one keeps those it was created with, the usual ones under
// the user's umask.
bool KeepPermissionsOf(const std::string& path, int fd) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode))
        return true;
    return ::fchmod(fd, existing.st_mode & 07777) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;  // a write that moves nothing will not move the rest
        if (n <= 0)
            return false;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* errorText) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // Deleted on every way out but the rename.
    std::string reason;
    TemporaryFile temp =
        TemporaryFile::Create(folder, name + ".", "", TemporaryFile::Access::kShared, &reason);
    if (!temp.owned())
        return Fail(errorText, path, reason);
    const int fd = ::open(temp.path().c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(errorText, path, ErrorText(errno));
    bool ok = KeepPermissionsOf(path, fd) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok)
        return Fail(errorText, path, ErrorText(error));
    if (!temp.MoveTo(path, &reason))
        return Fail(errorText, path, reason);
    return true;
}

}  // namespace korvida
