#include "core/rip/FreeBytes.h"

namespace korvida {

FreeDiskSpace FreeBytes(const std::string& path) {
    return GetFreeDiskSpace(path);
}

bool HasRoomFor(const FreeDiskSpace& space, std::uint64_t size) {
    return !space.ok || space.freeBytes > size;
}

}  // namespace korvida
