#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace korvida {

// A drive's read cache as the virtual drive keeps it: frames as they were answered (a
// misread included), the ones used longest ago dropped first when it is full.
class FrameCache {
  public:
    // Copies frames lba … lba + count - 1 into `out` when every one of them is held.
    bool Lookup(std::uint32_t lba, std::uint32_t count, std::uint8_t* out);
    // Keeps `count` frames of 2352 bytes from `frames`, holding at most `capacity` frames.
    void Store(std::uint32_t lba, std::uint32_t count, const std::uint8_t* frames,
               std::uint32_t capacity);
    void Clear();

  private:
    struct Entry {
        std::list<std::uint32_t>::iterator use;
        std::vector<std::uint8_t> bytes;
    };
    std::list<std::uint32_t> uses_;  // most recently used first
    std::unordered_map<std::uint32_t, Entry> frames_;
};

}  // namespace korvida
