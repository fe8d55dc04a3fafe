#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/settings/Settings.h"

namespace korvida::test {

// Bytes of frame `lba` in the generated test images: different in every frame and every
// position, so a read from the wrong place or a shifted buffer shows.
std::uint8_t PatternByte(std::uint32_t lba, std::uint32_t offset);

// Writes `frames` frames of the pattern, the first one numbered `firstLba`.
void WritePatternBin(const std::string& path, std::uint32_t frames, std::uint32_t firstLba = 0);

// Loads a CUE sheet written into `folder` as "disc.cue"; fails the test on errors.
std::shared_ptr<VirtualDrive> LoadDrive(const std::string& folder, const std::string& cue);

// A driver whose only drive is `drive` (no /dev scan), already Init'ed.
struct DriverOnImage {
    DriverOnImage(std::shared_ptr<VirtualDrive> drive, int retryTimes = 5, int deviceType = 0);
    Settings settings;
    std::shared_ptr<VirtualDrive> drive;
    std::unique_ptr<CSCSIDriverNative> driver;
};

// "XX XX …" of recorded CDBs, for readable failure messages.
std::string Hex(const std::vector<std::uint8_t>& bytes);

}  // namespace korvida::test
