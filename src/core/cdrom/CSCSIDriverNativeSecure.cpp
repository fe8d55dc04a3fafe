// The driver's side of secure reads: audio frames with the drive's C2 error pointers,
// and the capabilities page that says whether it has them.
#include <algorithm>
#include <vector>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/platform/ByteOrder.h"

namespace korvida {
namespace {

constexpr std::uint32_t kC2FrameBytes = kRawSectorSize + kC2PointerBytes;  // 2646
// The mode parameter header of MODE SENSE (10) before the page, and the page's bytes up
// to the one that carries the C2 and accurate-stream bits.
constexpr std::size_t kModeHeaderBytes = 8;
constexpr std::size_t kCapabilitiesBytes = 6;

}  // namespace

int CSCSIDriverNative::ReadAudioC2(AudioReadRequest& request, std::uint8_t* c2Flags) {
    if (request.buffer == nullptr || c2Flags == nullptr || request.sectorCount == 0 ||
        request.sectorCount > 0xFFFF ||
        std::uint64_t{request.sectorCount} * kRawSectorSize != request.byteLength) {
        lastError_ = "bad audio read request";
        return 0;
    }
    // Kept from read to read: a rip reads in chunks of one size.
    c2Reply_.resize(std::size_t{request.sectorCount} * kC2FrameBytes);
    const Cdb cdb = MakeReadCdC2Cdb(CurrentLun(), request.startLba, request.sectorCount);
    if (!Run(cdb, DataDirection::kFromDevice, c2Reply_.data(), c2Reply_.size(), true,
             /*rereadsDefeatCache*/ true))
        return 0;
    for (std::uint32_t i = 0; i < request.sectorCount; ++i) {
        const std::uint8_t* frame = c2Reply_.data() + std::size_t{i} * kC2FrameBytes;
        std::copy_n(frame, kRawSectorSize, request.buffer + std::size_t{i} * kRawSectorSize);
        const std::uint8_t* bits = frame + kRawSectorSize;
        c2Flags[i] = std::any_of(bits, bits + kC2PointerBytes, [](std::uint8_t b) { return b; });
    }
    return 1;
}

int CSCSIDriverNative::ReadCapabilities(DriveCapabilities& capabilities) {
    std::uint8_t reply[64] = {};
    const Cdb cdb = MakeModeSenseCapabilitiesCdb(CurrentLun(), sizeof reply);
    if (!Run(cdb, DataDirection::kFromDevice, reply, sizeof reply, false))
        return 0;
    // The page follows the header and any block descriptors the drive sent anyway.
    const std::size_t page = kModeHeaderBytes + Be16(&reply[6]);
    if (page + kCapabilitiesBytes > sizeof reply || (reply[page] & 0x3F) != 0x2A) {
        lastError_ = "no CD capabilities page";
        return 0;
    }
    capabilities.accurateStream = (reply[page + 5] & 0x02) != 0;
    capabilities.c2Pointers = (reply[page + 5] & 0x10) != 0;
    return 1;
}

}  // namespace korvida
