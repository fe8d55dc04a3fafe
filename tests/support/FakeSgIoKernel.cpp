#include "support/FakeSgIoKernel.h"

#include <fcntl.h>
#include <scsi/scsi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace korvida::test {

FakeSgIoKernel::FakeSgIoKernel(const std::vector<std::string>& names) {
    std::filesystem::create_directories(root / "sys");
    for (const std::string& name : names)
        WriteFile(root / "sys" + "/" + name, "");
}

SgIoSystem FakeSgIoKernel::System() {
    SgIoSystem system;
    system.sysBlockDir = root / "sys";
    system.devDir = "/dev";
    system.open = [this](const char* path, int flags) {
        opens.emplace_back(path, flags);
        if (deniedDevices.count(path) ||
            ((flags & O_ACCMODE) == O_RDWR && readOnlyDevices.count(path))) {
            errno = EACCES;
            return -1;
        }
        int fd = 100 + openCount++;
        fds[fd] = path;
        return fd;
    };
    system.close = [this](int fd) { return fds.erase(fd) ? 0 : -1; };
    system.ioctl = [this](int fd, unsigned long request, void* argument) {
        if (!fds.count(fd)) {
            errno = EBADF;
            return -1;
        }
        if (request == SCSI_IOCTL_GET_IDLUN) {
            static_cast<int*>(argument)[0] = idlun;
            return 0;
        }
        if (request != SG_IO) {
            errno = ENOTTY;
            return -1;
        }
        auto& header = *static_cast<sg_io_hdr_t*>(argument);
        requests.push_back(header);
        cdbs.emplace_back(header.cmdp, header.cmdp + header.cmd_len);
        if (deadDevices.count(fds[fd]) || !drive) {
            errno = EIO;
            return -1;
        }
        ScsiRequest scsi;
        scsi.cdb = header.cmdp;
        scsi.cdbLength = header.cmd_len;
        scsi.direction = header.dxfer_direction == SG_DXFER_FROM_DEV ? DataDirection::kFromDevice
                         : header.dxfer_direction == SG_DXFER_TO_DEV ? DataDirection::kToDevice
                                                                     : DataDirection::kNone;
        scsi.data = static_cast<std::uint8_t*>(header.dxferp);
        scsi.dataLength = header.dxfer_len;
        scsi.timeoutMs = header.timeout;
        ScsiReply reply = drive->Execute(scsi);
        header.status = reply.status;
        header.masked_status = static_cast<unsigned char>(reply.status >> 1);
        header.host_status = reply.hostStatus;
        header.driver_status = reply.senseLength ? 0x08 : 0;
        header.resid = static_cast<int>(header.dxfer_len - reply.transferred);
        header.sb_len_wr =
            static_cast<unsigned char>(std::min<std::size_t>(reply.senseLength, header.mx_sb_len));
        std::memcpy(header.sbp, reply.sense.data(), header.sb_len_wr);
        if (spoil)
            spoil(header);
        if (header.status == 0xFF) {  // "the ioctl itself fails"
            errno = EIO;
            return -1;
        }
        return 0;
    };
    return system;
}

}  // namespace korvida::test
