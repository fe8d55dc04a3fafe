#include "core/cdrom/FrameCache.h"

#include <cstring>

#include "core/cdrom/ScsiTypes.h"

namespace korvida {

bool FrameCache::Lookup(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
    for (std::uint32_t i = 0; i < count; ++i)
        if (!frames_.count(lba + i))
            return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        Entry& entry = frames_[lba + i];
        uses_.splice(uses_.begin(), uses_, entry.use);
        std::memcpy(out + std::size_t{i} * kRawSectorSize, entry.bytes.data(), kRawSectorSize);
    }
    return true;
}

void FrameCache::Store(std::uint32_t lba, std::uint32_t count, const std::uint8_t* frames,
                       std::uint32_t capacity) {
    for (std::uint32_t i = 0; i < count && capacity > 0; ++i) {
        const std::uint8_t* frame = frames + std::size_t{i} * kRawSectorSize;
        auto found = frames_.find(lba + i);
        if (found != frames_.end()) {
            uses_.splice(uses_.begin(), uses_, found->second.use);
            std::memcpy(found->second.bytes.data(), frame, kRawSectorSize);
            continue;
        }
        if (frames_.size() >= capacity) {
            frames_.erase(uses_.back());
            uses_.pop_back();
        }
        uses_.push_front(lba + i);
        frames_[lba + i] = Entry{uses_.begin(), {frame, frame + kRawSectorSize}};
    }
}

void FrameCache::Clear() {
    frames_.clear();
    uses_.clear();
}

}  // namespace korvida
