#include "core/platform/FreeDiskSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <filesystem>

#include "core/platform/ErrorText.h"

namespace korvida {
namespace {

std::filesystem::path NearestExisting(std::filesystem::path p) {
    std::error_code ec;
    p = std::filesystem::absolute(p, ec);
    while (!p.empty() && !std::filesystem::exists(p, ec)) {
        auto parent = p.parent_path();
        if (parent == p)
            break;
        p = parent;
    }
    return p;
}

// Walks up while the device stays the same: the last folder on it is the mount point.
std::string MountPointOf(const std::filesystem::path& existing) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::canonical(existing, ec);
    if (ec)
        return existing.string();
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0)
        return p.string();
    const dev_t dev = st.st_dev;
    while (p.has_parent_path() && p.parent_path() != p) {
        struct stat up {};
        if (::stat(p.parent_path().c_str(), &up) != 0 || up.st_dev != dev)
            break;
        p = p.parent_path();
    }
    return p.string();
}

}  // namespace

FreeDiskSpace GetFreeDiskSpace(const std::string& path) {
    FreeDiskSpace result;
    const std::filesystem::path existing = NearestExisting(path.empty() ? "." : path);
    struct statvfs vfs {};
    if (::statvfs(existing.c_str(), &vfs) != 0) {
        result.errorText = ErrorText(errno);
        return result;
    }
    result.ok = true;
    result.freeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    result.mountPoint = MountPointOf(existing);
    return result;
}

}  // namespace korvida
