#pragma once

namespace korvida {

// How a drive was made to read the disc again rather than answer from its cache.
enum class CacheDefeat {
    kNone,     // not needed, or the drive could not be asked (no disc, no TOC)
    kFua,      // a READ (10) with FUA, which the drive accepted
    kFarRead,  // reads far from the frames, more than a drive's cache holds
};

}  // namespace korvida
