#pragma once

#include <cstdint>
#include <string>

#include "core/platform/FreeDiskSpace.h"

namespace korvida {

// Free space for the caller on the file system that will hold `path` (an output folder
// or a temporary file). Its mountPoint names the "drive" in the disk-space log line.
FreeDiskSpace FreeBytes(const std::string& path);

// The test made before writing `size` bytes: refused only when the query worked and
// the free bytes are not more than the size. A failed query never stops a job.
bool HasRoomFor(const FreeDiskSpace& space, std::uint64_t size);

}  // namespace korvida
