#pragma once

namespace korvida {

// How a drive was made to read the disc again rather than answer from its cache.
enum class CacheDefeat {
    kNone,     // not done: the drive did not answer, or nothing on the disc lies far away
    kFua,      // a READ (10) with FUA, which the drive accepted
    kFarRead,  // reads far from the frames, more than a drive's cache holds
};

}  // namespace korvida
