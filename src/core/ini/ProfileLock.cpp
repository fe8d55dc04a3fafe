#include "core/ini/ProfileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "core/platform/ErrorText.h"

namespace korvida {

ProfileLock ProfileLock::Acquire(const std::string& path, std::string* errorText) {
    const std::string lockPath = path + ".lock";
    ProfileLock lock;
    // The lock file is never removed: a writer waiting on a removed lock file would hold
    // a lock that nobody else sees.
    UniqueFd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    bool locked = false;
    if (fd.valid()) {
        int result;
        do
            result = ::flock(fd.get(), LOCK_EX);
        while (result != 0 && errno == EINTR);
        locked = result == 0;
    }
    if (!locked) {
        if (errorText)
            *errorText = lockPath + ": " + ErrorText(errno);
        return lock;
    }
    lock.fd_ = std::move(fd);
    return lock;
}

}  // namespace korvida
