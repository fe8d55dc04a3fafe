#pragma once

#include <cstdint>
#include <string>

namespace korvida {

struct FreeDiskSpace {
    bool ok = false;
    std::uint64_t freeBytes = 0;  // bytes an unprivileged user may still write
    std::string mountPoint;       // the file system's mount point, named in log lines
    std::string errorText;
};

// Free space of the file system that holds `path` (a file or a folder; a path that
// does not exist yet is measured at its nearest existing parent).
FreeDiskSpace GetFreeDiskSpace(const std::string& path);

}  // namespace korvida
