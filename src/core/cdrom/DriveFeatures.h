#pragma once

#include <cstdint>
#include <vector>

#include "core/cdrom/CacheDefeat.h"

namespace korvida {

class CSCSIDriver;

// Bytes of C2 error pointers after a frame's 2352 in a READ CD reply: one bit per byte of
// the frame, and with the block error byte (and its pad byte) two more.
inline constexpr std::uint32_t kC2PointerBytes = 294;
inline constexpr std::uint32_t kC2AndBlockErrorBytes = 296;

// What MODE SENSE page 2Ah (CD capabilities) says of the current drive.
struct DriveCapabilities {
    bool c2Pointers = false;      // READ CD can return C2 error pointers
    bool accurateStream = false;  // CD-DA reads resume exactly where they stopped
};

// What `drives --features` tells of one drive: its capabilities page, and what it did
// when asked.
struct DriveFeatures {
    bool capabilitiesRead = false;  // the drive answered MODE SENSE page 2Ah
    DriveCapabilities capabilities;
    bool c2Reads = false;  // READ CD with the C2 error field answered
    CacheDefeat cacheDefeat = CacheDefeat::kNone;
    std::vector<std::uint8_t> readCommands;  // the audio read opcodes it answered
};

// Asks the current drive, through `driver`, each of the above: one read of a frame of
// the first audio track per read command. A drive without a disc answers the page alone.
DriveFeatures ProbeDriveFeatures(CSCSIDriver& driver);

}  // namespace korvida
