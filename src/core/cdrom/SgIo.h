#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/cdrom/SCSIDriveInfo.h"
#include "core/cdrom/ScsiTypes.h"

namespace korvida {

// The system calls the pass-through transport makes, replaceable so that request
// building, status handling and discovery are tested without a drive.
struct SgIoSystem {
    std::function<int(const char* path, int flags)> open;
    std::function<int(int fd)> close;
    std::function<int(int fd, unsigned long request, void* argument)> ioctl;
    std::string sysBlockDir = "/sys/class/block";  // where sr* devices are listed
    std::string devDir = "/dev";

    static SgIoSystem Linux();
};

// Sends one command through SG_IO on an open device. At most 16 CDB bytes go out. A
// failed ioctl comes back with delivered false and the errno in systemError.
ScsiReply SgIoExecute(const SgIoSystem& system, int fd, const ScsiRequest& request);

// The CD-ROM device paths ("/dev/sr0" …) in name order (sr2 before sr10), at most 8.
std::vector<std::string> FindCdromDevicePaths(const SgIoSystem& system);

// Opens a device for commands: read/write, else read-only; non-blocking, so that a tray
// without a disc does not hang the open. -1 when neither works.
int OpenCdromDevice(const SgIoSystem& system, const std::string& path);

// INQUIRY and the SCSI address of an open device, up to `attempts` times; an attempt in
// which either fails counts as failed. On success fills vendor, product, revision and
// hostAdapter (the channel), target and lun.
bool ProbeCdromDevice(const SgIoSystem& system, int fd, int attempts, SCSIDriveInfo& info);

}  // namespace korvida
