#include "core/cdrom/DriveFeatures.h"

#include <vector>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Cdb.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/cdrom/Toc.h"

namespace korvida {
namespace {

// The first frame of the first audio track, when the drive has a disc with one.
bool FirstAudioFrame(CSCSIDriver& driver, std::uint32_t& lba) {
    std::vector<std::uint8_t> toc(kTocBufferSize);
    if (!driver.ReadTOC(toc.data(), 0))
        return false;
    for (const TocDescriptor& d : ParseTocReply(toc.data(), toc.size()).descriptors) {
        if (d.IsLeadout())
            return false;
        if (!d.IsData()) {
            lba = d.lba;
            return true;
        }
    }
    return false;
}

}  // namespace

DriveFeatures ProbeDriveFeatures(CSCSIDriver& driver) {
    DriveFeatures features;
    features.capabilitiesRead = driver.ReadCapabilities(features.capabilities) != 0;
    std::uint32_t lba = 0;
    if (!FirstAudioFrame(driver, lba))
        return features;

    const std::uint32_t lun = driver.currentDrive >= 0 && driver.currentDrive < kMaxDrives
                                  ? driver.drives[static_cast<std::size_t>(driver.currentDrive)].lun
                                  : 0;
    std::vector<std::uint8_t> frame(kRawSectorSize);
    // The first drive type of each read command stands for all that use it.
    for (int type = 0; type < kDeviceTypeCount; ++type) {
        const std::uint8_t command = ReadCommandOfDeviceType(type);
        bool tried = false;
        for (int earlier = 0; earlier < type; ++earlier)
            tried = tried || ReadCommandOfDeviceType(earlier) == command;
        if (tried)
            continue;
        const Cdb cdb = MakeReadAudioCdb(type, lun, lba, 1);
        if (driver.ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, frame.data(),
                               kRawSectorSize))
            features.readCommands.push_back(command);
    }
    AudioReadRequest request;
    request.startLba = lba;
    request.sectorCount = 1;
    request.byteLength = kRawSectorSize;
    request.buffer = frame.data();
    std::uint8_t flag = 0;
    features.c2Reads = driver.ReadAudioC2(request, &flag) != 0;
    features.cacheDefeat = driver.DefeatCache(lba, 1);
    return features;
}

}  // namespace korvida
