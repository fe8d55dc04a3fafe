#pragma once

// Small CD images for the tests, written where a test wants them, and a driver that
// plays one through the virtual drive.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/settings/Settings.h"

namespace korvida::test {

constexpr std::uint32_t kFrameBytes = 2352;

// Bytes of frame `lba` in the generated images: different in every frame and every
// position, so a read from the wrong place, a shifted buffer or a frame read twice or
// not at all shows.
std::uint8_t PatternByte(std::uint32_t lba, std::uint32_t offset);

// `count` frames of the pattern, the first one numbered `first`.
std::string Frames(std::uint32_t first, std::uint32_t count);
void WritePatternBin(const std::string& path, std::uint32_t frames, std::uint32_t firstLba = 0);

// "mm:ss:ff" of a frame count.
std::string Msf(std::uint32_t lba);

// A disc in `folder` (disc.cue, disc.bin) whose audio tracks start at `starts` and whose
// lead-out is at `leadout`; its frames are `bin` (the pattern when empty). Returns the
// CUE sheet's path.
std::string WriteDisc(const std::string& folder, const std::vector<std::uint32_t>& starts,
                      std::uint32_t leadout, std::string bin = {});

// Loads a CUE sheet written into `folder` as "disc.cue"; fails the test on errors.
std::shared_ptr<VirtualDrive> LoadDrive(const std::string& folder, const std::string& cue);

// A driver whose only drive is `drive` (no /dev scan), already Init'ed; the drive is kept
// for fault injection and command recording.
struct DriverOnImage {
    DriverOnImage(std::shared_ptr<VirtualDrive> drive, int retryTimes = 5, int deviceType = 0);
    // The disc of the CUE sheet at `cue`, read once before a sector counts as bad.
    explicit DriverOnImage(const std::string& cue);
    Settings settings;  // RetryTimes and DeviceType, copied into the driver when it is made
    std::shared_ptr<VirtualDrive> drive;
    std::unique_ptr<CSCSIDriverNative> driver;
};

// "XX XX …" of recorded CDBs, for readable failure messages.
std::string Hex(const std::vector<std::uint8_t>& bytes);

}  // namespace korvida::test
