#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/CSCSIDriverNative.h"

namespace korvida {

struct Settings;
class UserNotifier;

// Status line texts.
inline constexpr const char* kNoCdromStatus = "没有找到 CDROM！";
// The message shown when the pass-through driver finds no usable drive.
inline constexpr const char* kNativeInitFailedMessage = "在 Linux (SG_IO) 下初始化出错。";

struct DriveSelection {
    // The driver; present even when selection failed (it then has no usable drive and
    // every command fails), because the rest of the program expects one.
    std::unique_ptr<CSCSIDriver> driver;
    bool ok = false;
    // "设备: <name>  " on success, "没有找到 CDROM！" on failure.
    std::string statusText;
};

// Creates the driver and selects the drive of settings.CDROMDriver (a negative value
// becomes 0; one past the drive table becomes 0 and is stored). Images that do not load
// are told to the user, one message each; a failed Init shows the stop message. The
// caller empties its track list before and loads the disc after a success.
DriveSelection CreateAndSelectDriver(Settings& settings, DriveSources sources,
                                     UserNotifier& notifier);

// Picking another drive on the same driver: Stop, then Init with `newDrive`, which is
// stored in settings.CDROMDriver. Returns the new status text; the caller reloads the
// disc when `ok` comes back true.
std::string ChangeDrive(CSCSIDriver& driver, Settings& settings, int newDrive, bool& ok);

// "设备: %s  " with the current drive's 24-character name.
std::string DeviceStatusText(const CSCSIDriver& driver);

// One line of `korvida-cli drives`: index, name, host adapter, target, LUN, tab-separated.
std::string FormatDriveLine(int index, const SCSIDriveInfo& info);

// The image list setting: CUE paths separated by ';', blanks around them dropped.
std::vector<std::string> SplitImageList(const std::string& list);

}  // namespace korvida
