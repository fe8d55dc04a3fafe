// The virtual drive as a damaged disc and a drive with C2 error pointers: frames that
// read wrong without an error, the pointers a drive sets on them (or does not), and the
// capabilities page that says whether it has them.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/DriveFeatures.h"
#include "core/cdrom/SenseReply.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/cdrom/VirtualDriveDamage.h"
#include "core/platform/ByteOrder.h"

namespace korvida {
namespace {

constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
constexpr std::uint8_t kAscUnrecoveredRead = 0x11;
constexpr std::uint8_t kAscIllegalModeForTrack = 0x64;

ScsiReply Illegal(std::uint8_t asc = kAscInvalidFieldInCdb) {
    return SenseReply(kSenseIllegalRequest, asc);
}

// A deterministic stream of numbers (splitmix64): the same seed, the same damage, on
// every platform.
struct Stream {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

// `count` distinct frames, one in each of `count` equal stretches of first ≤ f < end.
std::vector<std::uint32_t> Spread(std::uint32_t first, std::uint32_t end, int count,
                                  Stream& stream) {
    std::vector<std::uint32_t> frames;
    const std::uint64_t span = end > first ? end - first : 0;
    if (count <= 0 || span == 0)
        return frames;
    const auto n = static_cast<std::uint64_t>(count);
    for (std::uint64_t i = 0; i < n && i < span; ++i) {
        const std::uint64_t from = span * i / n;
        const std::uint64_t to = std::max(span * (i + 1) / n, from + 1);
        frames.push_back(first + static_cast<std::uint32_t>(from + stream.Next() % (to - from)));
    }
    return frames;
}

}  // namespace

std::vector<VirtualDriveFaults::Altered> ScatterMisreads(std::uint32_t first, std::uint32_t end,
                                                         int count, std::uint32_t seed,
                                                         bool c2Flagged) {
    Stream stream{seed};
    std::vector<VirtualDriveFaults::Altered> faults;
    for (std::uint32_t frame : Spread(first, end, count, stream))
        faults.push_back({frame, 1, 1 + static_cast<int>(stream.Next() % 2), c2Flagged});
    return faults;
}

std::vector<VirtualDriveFaults::Altered> UnstableFrames(std::uint32_t first, std::uint32_t end,
                                                        int count, std::uint32_t seed,
                                                        bool c2Flagged) {
    Stream stream{seed ^ 0x5EC0DEull};
    std::vector<VirtualDriveFaults::Altered> faults;
    for (std::uint32_t frame : Spread(first, end, count, stream))
        faults.push_back({frame, 1, VirtualDriveFaults::Altered::kAlways, c2Flagged});
    return faults;
}

void VirtualDrive::AlterFrames(std::uint32_t lba, std::uint32_t count, std::uint8_t* out,
                               std::uint8_t* c2) {
    if (c2)
        std::memset(c2, 0, count);
    for (VirtualDriveFaults::Altered& fault : faults_.altered) {
        const std::uint32_t from = std::max(fault.first, lba);
        const std::uint32_t to = std::min(fault.first + fault.count, lba + count);
        if (from >= to || fault.reads == 0)
            continue;
        if (fault.reads > 0)
            --fault.reads;
        // Noise that is never 0, so every byte changes, and differs from read to read.
        std::uint32_t noise = (++alteredReads_ + faults_.seed * 0x9E3779B9u) * 2654435761u;
        for (std::size_t i = std::size_t{from - lba} * kRawSectorSize;
             i < std::size_t{to - lba} * kRawSectorSize; ++i) {
            noise = noise * 1664525u + 1013904223u;
            out[i] ^= static_cast<std::uint8_t>(noise >> 24 | 1);
        }
        if (c2 && fault.c2Flagged && !faults_.c2FlagsNothing)
            std::memset(c2 + (from - lba), 1, to - from);
    }
}

ScsiReply VirtualDrive::ModeSense(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    // Current, changeable and default values alike; saved values are not kept.
    if ((cdb[2] & 0x3F) != 0x2A || (cdb[2] >> 6) == 3)
        return Illegal();
    std::vector<std::uint8_t> reply(8 + 2 + 20, 0);
    PutBe16(&reply[0], static_cast<std::uint16_t>(reply.size() - 2));
    std::uint8_t* page = &reply[8];
    page[0] = 0x2A;
    page[1] = 20;
    page[2] = 0x03;  // reads CD-R and CD-RW
    page[4] = 0x01;  // plays audio
    // CD-DA commands, an accurate stream, the catalogue number and ISRCs; C2 as told.
    page[5] =
        static_cast<std::uint8_t>(0x01 | 0x02 | 0x20 | 0x40 | (faults_.c2Pointers ? 0x10 : 0));
    page[6] = 0x29;           // tray, eject, lock
    PutBe16(&page[8], 7056);  // 40×
    const std::size_t allocation = Be16(&cdb[7]);
    if (allocation == 0)
        return GoodReply();
    if (request.direction != DataDirection::kFromDevice || request.data == nullptr ||
        request.dataLength < allocation)
        return Illegal();
    const std::size_t n = std::min(allocation, reply.size());
    std::memcpy(request.data, reply.data(), n);
    return GoodReply(n);
}

ScsiReply VirtualDrive::ReadWithC2(const ScsiRequest& request, std::uint32_t lba,
                                   std::uint32_t count) {
    const std::uint8_t field = request.cdb[9] & 0x06;
    if (!faults_.c2Pointers || field == 0x06)
        return Illegal();
    // The tracks the frames lie in, from the first frame's to the last's.
    for (const ImageTrack* track = image_.TrackAt(lba); track <= image_.TrackAt(lba + count - 1);
         ++track)
        if (track->IsData())
            return Illegal(kAscIllegalModeForTrack);
    const std::uint32_t extra = field == 0x02 ? kC2PointerBytes : kC2AndBlockErrorBytes;
    const std::size_t frameBytes = kRawSectorSize + extra;
    if (request.direction != DataDirection::kFromDevice || request.data == nullptr ||
        request.dataLength < frameBytes * count)
        return Illegal();

    // The frames are read to the front of the reply and then spread out to their places,
    // the last first, so that none is overwritten before it has moved.
    const std::uint32_t good = ReadableFrames(lba, count);
    std::vector<std::uint8_t> flags(good, 0);
    // A frame the cache answers carries no pointers: the drive checked it when it was read.
    const bool cached =
        good > 0 && faults_.cacheFrames > 0 && cache_.Lookup(lba, good, request.data);
    if (good > 0 && !cached) {
        if (!ReadAudioFrames(lba, good, request.data, flags.data()))
            return SenseReply(kSenseMediumError, kAscUnrecoveredRead, 0, &lba);
        cache_.Store(lba, good, request.data, faults_.cacheFrames);
    }
    for (std::uint32_t i = good; i-- > 0;) {
        std::uint8_t* out = request.data + std::size_t{i} * frameBytes;
        std::memmove(out, request.data + std::size_t{i} * kRawSectorSize, kRawSectorSize);
        // Every byte of an altered frame is wrong, so every pointer bit is set.
        std::memset(out + kRawSectorSize, flags[i] ? 0xFF : 0, kC2PointerBytes);
        if (extra == kC2AndBlockErrorBytes) {
            out[kRawSectorSize + kC2PointerBytes] = flags[i] ? 0xFF : 0;  // block error byte
            out[kRawSectorSize + kC2PointerBytes + 1] = 0;
        }
    }
    const std::size_t written = std::size_t{good} * frameBytes;
    if (good < count) {
        const std::uint32_t badLba = lba + good;
        return SenseReply(kSenseMediumError, kAscUnrecoveredRead, 0, &badLba, written);
    }
    return GoodReply(written);
}

}  // namespace korvida
