#include "CdromTestSupport.h"

#include <gtest/gtest.h>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/ScsiTypes.h"
#include "support/TempHome.h"

namespace korvida::test {

std::uint8_t PatternByte(std::uint32_t lba, std::uint32_t offset) {
    std::uint32_t x = lba * 2654435761u ^ (offset + 1) * 40503u;
    x ^= x >> 15;
    return static_cast<std::uint8_t>(x * 2246822519u >> 24);
}

void WritePatternBin(const std::string& path, std::uint32_t frames, std::uint32_t firstLba) {
    std::string bytes(std::size_t{frames} * kRawSectorSize, '\0');
    for (std::uint32_t f = 0; f < frames; ++f) {
        for (std::uint32_t i = 0; i < kRawSectorSize; ++i) {
            bytes[std::size_t{f} * kRawSectorSize + i] =
                static_cast<char>(PatternByte(firstLba + f, i));
        }
    }
    WriteFile(path, bytes);
}

std::shared_ptr<VirtualDrive> LoadDrive(const std::string& folder, const std::string& cue) {
    WriteFile(folder + "/disc.cue", cue);
    std::string error;
    std::unique_ptr<VirtualDrive> drive = VirtualDrive::Open(folder + "/disc.cue", error);
    EXPECT_TRUE(drive) << error;
    return std::shared_ptr<VirtualDrive>(std::move(drive));
}

DriverOnImage::DriverOnImage(std::shared_ptr<VirtualDrive> image, int retryTimes, int deviceType)
    : settings(), drive(std::move(image)) {
    settings.RetryTimes = retryTimes;
    settings.DeviceType = deviceType;
    DriveSources sources;
    sources.scanRealDrives = false;
    sources.virtualDrives = {drive};
    driver = std::make_unique<CSCSIDriverNative>(DriverOptionsFrom(settings), std::move(sources));
    EXPECT_EQ(driver->Init(0), 1);
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    return CdbToHex(bytes.data(), bytes.size());
}

}  // namespace korvida::test
