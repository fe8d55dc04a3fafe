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

// The test made before writing `size` bytes: refused only when the query worked and
// the free bytes are not more than the size. A failed query never stops a job.
inline bool HasRoomFor(const FreeDiskSpace& space, std::uint64_t size) {
    return !space.ok || space.freeBytes > size;
}

}  // namespace korvida
