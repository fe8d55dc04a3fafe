#include "core/platform/MediaMonitor.h"
#include "core/text/Translate.h"

#include <libudev.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace korvida {

namespace {

std::string Text(const char* value) {
    return value ? value : "";
}

bool IsOne(udev_device* device, const char* property) {
    const char* value = udev_device_get_property_value(device, property);
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace

bool IsCdromDeviceName(const std::string& device) {
    std::string name = device;
    if (name.rfind("/dev/", 0) == 0)
        name.erase(0, 5);
    return name.size() > 2 && name.compare(0, 2, "sr") == 0 &&
           std::all_of(name.begin() + 2, name.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::optional<MediaChangeEvent> MediaChangeFromUdev(const UdevBlockEvent& event) {
    if (!IsCdromDeviceName(event.sysname))
        return std::nullopt;
    MediaChangeEvent change;
    change.device = event.devnode.empty() ? "/dev/" + event.sysname : event.devnode;
    if (event.action == "remove") {
        change.kind = MediaChangeKind::kRemoval;
    } else if (event.action == "change" && event.mediaChange) {
        change.kind = event.mediaPresent ? MediaChangeKind::kArrival : MediaChangeKind::kRemoval;
    } else if (event.action == "change" && event.ejectRequest) {
        change.kind = MediaChangeKind::kRemoval;
    } else {
        return std::nullopt;
    }
    return change;
}

std::unique_ptr<MediaMonitor> MediaMonitor::Open(std::string* errorText) {
    udev* context = udev_new();
    udev_monitor* monitor = context ? udev_monitor_new_from_netlink(context, "udev") : nullptr;
    std::unique_ptr<MediaMonitor> result;
    if (monitor) {
        // Owns both from here on, whatever fails next.
        result.reset(new MediaMonitor(context, monitor));
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", "disk") >= 0 &&
            udev_monitor_enable_receiving(monitor) >= 0)
            return result;
        result.reset();
    } else if (context) {
        udev_unref(context);
    }
    if (errorText)
        *errorText = Tr("无法监视光盘的插入和取出 (udev)");
    return nullptr;
}

MediaMonitor::MediaMonitor(udev* context, udev_monitor* monitor)
    : context_(context), monitor_(monitor) {}

MediaMonitor::~MediaMonitor() {
    udev_monitor_unref(monitor_);
    udev_unref(context_);
}

int MediaMonitor::fd() const {
    return udev_monitor_get_fd(monitor_);
}

std::optional<MediaChangeEvent> MediaMonitor::Next() {
    // The monitor's socket is non-blocking: receive returns nullptr when nothing waits.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        UdevBlockEvent event;
        event.action = Text(udev_device_get_action(device));
        event.sysname = Text(udev_device_get_sysname(device));
        event.devnode = Text(udev_device_get_devnode(device));
        event.mediaChange = IsOne(device, "DISK_MEDIA_CHANGE");
        event.ejectRequest = IsOne(device, "DISK_EJECT_REQUEST");
        event.mediaPresent = IsOne(device, "ID_CDROM_MEDIA");
        udev_device_unref(device);
        if (auto change = MediaChangeFromUdev(event))
            return change;
    }
    return std::nullopt;
}

}  // namespace korvida
