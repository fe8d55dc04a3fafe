#include "support/DiscImage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/ScsiTypes.h"
#include "support/TempHome.h"

namespace korvida::test {

std::uint8_t PatternByte(std::uint32_t lba, std::uint32_t offset) {
    std::uint32_t x = lba * 2654435761u ^ (offset + 1) * 40503u;
    x ^= x >> 15;
    return static_cast<std::uint8_t>(x * 2246822519u >> 24);
}

std::string Frames(std::uint32_t first, std::uint32_t count) {
    std::string bytes(std::size_t{count} * kFrameBytes, '\0');
    for (std::uint32_t f = 0; f < count; ++f) {
        for (std::uint32_t i = 0; i < kFrameBytes; ++i)
            bytes[std::size_t{f} * kFrameBytes + i] = static_cast<char>(PatternByte(first + f, i));
    }
    return bytes;
}

void WritePatternBin(const std::string& path, std::uint32_t frames, std::uint32_t firstLba) {
    WriteFile(path, Frames(firstLba, frames));
}

std::string Msf(std::uint32_t lba) {
    char text[40];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", lba / 4500, lba / 75 % 60, lba % 75);
    return text;
}

std::string WriteDisc(const std::string& folder, const std::vector<std::uint32_t>& starts,
                      std::uint32_t leadout, std::string bin) {
    if (bin.empty())
        bin = Frames(0, leadout);
    WriteFile(folder + "/disc.bin", bin);
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    for (std::size_t i = 0; i < starts.size(); ++i) {
        char track[48];
        std::snprintf(track, sizeof track, "  TRACK %02zu AUDIO\n", i + 1);
        cue += track;
        cue += "    INDEX 01 " + Msf(starts[i]) + "\n";
    }
    WriteFile(folder + "/disc.cue", cue);
    return folder + "/disc.cue";
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

namespace {

std::shared_ptr<VirtualDrive> OpenImage(const std::string& cue) {
    std::string error;
    std::shared_ptr<VirtualDrive> drive = VirtualDrive::Open(cue, error);
    EXPECT_TRUE(drive) << error;
    return drive;
}

}  // namespace

DriverOnImage::DriverOnImage(const std::string& cue) : DriverOnImage(OpenImage(cue), 1) {}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    return CdbToHex(bytes.data(), bytes.size());
}

}  // namespace korvida::test
