#pragma once

#include <scsi/sg.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/cdrom/SgIo.h"
#include "core/cdrom/VirtualDrive.h"
#include "support/TempHome.h"

namespace korvida::test {

// The kernel as the pass-through transport sees it, without hardware: /sys/class/block
// and /dev under a temporary root, open/close/ioctl answered from `drive` (SG_IO and
// SCSI_IOCTL_GET_IDLUN), every request recorded, and ways to spoil the answers as real
// drivers and devices do.
struct FakeSgIoKernel {
    TempDir root;
    std::shared_ptr<VirtualDrive> drive;
    std::vector<sg_io_hdr_t> requests;  // as the driver built them
    std::vector<std::vector<std::uint8_t>> cdbs;
    std::vector<std::pair<std::string, int>> opens;  // path, flags
    std::set<std::string> readOnlyDevices;           // O_RDWR refused
    std::set<std::string> deniedDevices;             // every open refused: EACCES
    std::set<std::string> deadDevices;               // INQUIRY never succeeds
    std::function<void(sg_io_hdr_t&)> spoil;         // changes the answer
    int idlun = 0x00010203;                          // channel 1, lun 2, target 3
    int openCount = 0;
    std::map<int, std::string> fds;

    // `names` are the block devices listed ("sr0", "sda" …); the devices are "/dev/<name>".
    explicit FakeSgIoKernel(const std::vector<std::string>& names);
    SgIoSystem System();
};

}  // namespace korvida::test
