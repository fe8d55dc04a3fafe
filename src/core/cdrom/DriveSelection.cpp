#include "core/cdrom/DriveSelection.h"

#include <new>

#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"

namespace korvida {

std::string DeviceStatusText(const CSCSIDriver& driver) {
    if (driver.driveCount <= 0 || driver.currentDrive < 0 || driver.currentDrive >= kMaxDrives) {
        return kNoCdromStatus;
    }
    return "设备: " + DriveName(driver.drives[static_cast<std::size_t>(driver.currentDrive)]) +
           "  ";
}

DriveSelection CreateAndSelectDriver(Settings& settings, DriveSources sources,
                                     UserNotifier& notifier) {
    DriveSelection selection;
    if (settings.CDROMDriver < 0)
        settings.CDROMDriver = 0;
    // There is one transport on this platform; bUseASPI is kept for the settings file only.
    std::unique_ptr<CSCSIDriverNative> driver;
    try {
        driver =
            std::make_unique<CSCSIDriverNative>(DriverOptionsFrom(settings), std::move(sources));
    } catch (const std::bad_alloc&) {
        notifier.ShowMessage("Error new CSCSIDriverNative", UserNotifier::Icon::kStop);
        selection.driver = std::make_unique<CSCSIDriver>();
        selection.statusText = kNoCdromStatus;
        return selection;
    }
    int result = driver->Init(settings.CDROMDriver);
    for (const std::string& error : driver->ImageErrors()) {
        notifier.ShowMessage(error, UserNotifier::Icon::kWarning);
    }
    if (result) {
        // Init picked drive 0 for an index past the table, or the image asked for.
        settings.CDROMDriver = driver->currentDrive;
        selection.ok = true;
        selection.statusText = DeviceStatusText(*driver);
    } else {
        // A drive that is there but does not open is named, with what to do about it.
        const std::string& problem = driver->SelectionProblem();
        notifier.ShowMessage(problem.empty() ? kNativeInitFailedMessage : problem,
                             UserNotifier::Icon::kStop);
        selection.statusText = kNoCdromStatus;
    }
    selection.driver = std::move(driver);
    return selection;
}

std::string ChangeDrive(CSCSIDriver& driver, Settings& settings, int newDrive, bool& ok) {
    driver.Stop();
    ok = driver.Init(newDrive) != 0;
    if (!ok)
        return kNoCdromStatus;
    settings.CDROMDriver = driver.currentDrive;
    return DeviceStatusText(driver);
}

std::string FormatDriveLine(int index, const SCSIDriveInfo& info) {
    return std::to_string(index) + "\t" + DriveName(info) + "\t" +
           std::to_string(info.hostAdapter) + "\t" + std::to_string(info.target) + "\t" +
           std::to_string(info.lun);
}

std::vector<std::string> SplitImageList(const std::string& list) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string item = list.substr(start, end - start);
        std::size_t first = item.find_first_not_of(" \t");
        std::size_t last = item.find_last_not_of(" \t");
        if (first != std::string::npos)
            paths.push_back(item.substr(first, last - first + 1));
        start = end + 1;
    }
    return paths;
}

}  // namespace korvida
