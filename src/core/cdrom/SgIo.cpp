#include "core/cdrom/SgIo.h"

#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/cdrom/Cdb.h"

namespace korvida {

namespace {

// driver_status bits: sense was returned (not a failure by itself), and a time-out.
constexpr unsigned kDriverSense = 0x08;
constexpr unsigned kDriverTimeout = 0x06;
// host_status of a command the adapter gave up on after its time-out.
constexpr unsigned kDidTimeOut = 0x03;

}  // namespace

SgIoSystem SgIoSystem::Linux() {
    SgIoSystem system;
    system.open = [](const char* path, int flags) { return ::open(path, flags); };
    system.close = [](int fd) { return ::close(fd); };
    system.ioctl = [](int fd, unsigned long request, void* argument) {
        return ::ioctl(fd, request, argument);
    };
    return system;
}

ScsiReply SgIoExecute(const SgIoSystem& system, int fd, const ScsiRequest& request) {
    ScsiReply reply;
    unsigned char cdb[16] = {};
    std::size_t cdbLength = std::min<std::size_t>(request.cdbLength, sizeof cdb);
    if (request.cdb)
        std::memcpy(cdb, request.cdb, cdbLength);

    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.cmd_len = static_cast<unsigned char>(cdbLength);
    header.cmdp = cdb;
    header.mx_sb_len = static_cast<unsigned char>(reply.sense.size());
    header.sbp = reply.sense.data();
    header.timeout = request.timeoutMs;
    bool hasData = request.data != nullptr && request.dataLength > 0 &&
                   request.direction != DataDirection::kNone;
    if (hasData) {
        header.dxfer_direction =
            request.direction == DataDirection::kToDevice ? SG_DXFER_TO_DEV : SG_DXFER_FROM_DEV;
        header.dxferp = request.data;
        header.dxfer_len = static_cast<unsigned>(request.dataLength);
    } else {
        header.dxfer_direction = SG_DXFER_NONE;
    }

    if (system.ioctl(fd, SG_IO, &header) < 0) {
        reply.systemError = errno;
        return reply;
    }
    reply.delivered = true;
    reply.status = header.status;
    reply.hostStatus = header.host_status;
    reply.driverStatus = static_cast<std::uint16_t>(header.driver_status & ~kDriverSense);
    reply.timedOut =
        header.host_status == kDidTimeOut || (header.driver_status & 0x0F) == kDriverTimeout;
    reply.senseLength = std::min<std::size_t>(header.sb_len_wr, reply.sense.size());
    // resid is what the device did not send; a negative or oversized value from a broken
    // driver must not turn into a transfer larger than the buffer.
    std::size_t length = hasData ? request.dataLength : 0;
    std::size_t resid = header.resid < 0 ? 0 : static_cast<std::size_t>(header.resid);
    reply.transferred = resid >= length ? 0 : length - resid;
    return reply;
}

std::vector<std::string> FindCdromDevicePaths(const SgIoSystem& system) {
    std::vector<std::pair<unsigned long, std::string>> found;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(system.sysBlockDir, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() < 3 || name.compare(0, 2, "sr") != 0 || name.size() > 10)
            continue;
        if (!std::all_of(name.begin() + 2, name.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        found.emplace_back(std::stoul(name.substr(2)), name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (const auto& entry : found) {
        if (paths.size() == 8)
            break;
        paths.push_back(system.devDir + "/" + entry.second);
    }
    return paths;
}

int OpenCdromDevice(const SgIoSystem& system, const std::string& path) {
    int fd = system.open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fd = system.open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return fd;
}

bool ProbeCdromDevice(const SgIoSystem& system, int fd, int attempts, SCSIDriveInfo& info) {
    Cdb inquiry = MakeInquiryCdb();
    std::uint8_t data[100];
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::memset(data, 0, sizeof data);
        ScsiRequest request;
        request.cdb = inquiry.data();
        request.cdbLength = inquiry.length;
        request.direction = DataDirection::kFromDevice;
        request.data = data;
        request.dataLength = sizeof data;
        ScsiReply reply = SgIoExecute(system, fd, request);
        if (!reply.Succeeded() || reply.transferred < 36)
            continue;
        // dev_id: target in bits 0-7, lun 8-15, channel 16-23, host 24-31.
        int idlun[2] = {};
        if (system.ioctl(fd, SCSI_IOCTL_GET_IDLUN, idlun) < 0)
            continue;
        SetIdentityFromInquiry(info, data, reply.transferred);
        info.target = static_cast<std::uint32_t>(idlun[0]) & 0xFF;
        info.lun = (static_cast<std::uint32_t>(idlun[0]) >> 8) & 0xFF;
        info.hostAdapter = (static_cast<std::uint32_t>(idlun[0]) >> 16) & 0xFF;
        return true;
    }
    return false;
}

}  // namespace korvida
