#pragma once

#include <cstddef>
#include <string>

namespace korvida {

// What ReadRegularFile found.
struct RegularFileText {
    enum class Status { kRead, kMissing, kRefused };
    Status status = Status::kRefused;
    std::string bytes;   // kRead: the whole file
    std::string reason;  // kRefused: why, in the system's words where it has them
};

// Reads a whole file that is a regular file (a link to one counts) of at most `maxBytes`.
// Anything else is refused without waiting or reading on: a FIFO would block the caller
// until a writer comes, and a device such as /dev/zero never ends.
RegularFileText ReadRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace korvida
