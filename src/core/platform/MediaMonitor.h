#pragma once

#include <memory>
#include <optional>
#include <string>

struct udev;
struct udev_monitor;

namespace korvida {

enum class MediaChangeKind { kArrival, kRemoval };

// A disc came into or left a drive.
struct MediaChangeEvent {
    MediaChangeKind kind = MediaChangeKind::kArrival;
    std::string device;  // the device node, "/dev/sr0"
};

// One block-device uevent, reduced to what tells a disc change apart.
struct UdevBlockEvent {
    std::string action;         // "add", "change", "remove"
    std::string sysname;        // "sr0", "sda1"
    std::string devnode;        // "/dev/sr0"; may be empty on "remove"
    bool mediaChange = false;   // DISK_MEDIA_CHANGE=1
    bool ejectRequest = false;  // DISK_EJECT_REQUEST=1: the drive's button was pressed
    bool mediaPresent = false;  // ID_CDROM_MEDIA=1
};

// True for the kernel's CD-ROM block devices: "sr" and digits, with or without "/dev/".
bool IsCdromDeviceName(const std::string& device);

// The disc change a uevent means, or nothing: only CD-ROM devices count; a medium change
// is an arrival when a disc is present afterwards, else a removal; an eject request and
// the drive itself going away are removals.
std::optional<MediaChangeEvent> MediaChangeFromUdev(const UdevBlockEvent& event);

// The kernel's block-device uevents through libudev, for the CD-ROM drives. Owned and
// read by one thread (the UI's): fd() becomes readable when events wait, and Next()
// takes them without blocking.
class MediaMonitor {
  public:
    // nullptr, with the reason in *errorText, when libudev gives no monitor. Where no
    // udev daemon runs the monitor opens and simply never reports anything.
    static std::unique_ptr<MediaMonitor> Open(std::string* errorText = nullptr);
    ~MediaMonitor();
    MediaMonitor(const MediaMonitor&) = delete;
    MediaMonitor& operator=(const MediaMonitor&) = delete;

    int fd() const;
    // The next waiting disc change; events of other devices are taken and dropped on
    // the way. nullopt when none waits.
    std::optional<MediaChangeEvent> Next();

  private:
    MediaMonitor(udev* context, udev_monitor* monitor);
    udev* context_;
    udev_monitor* monitor_;
};

}  // namespace korvida
