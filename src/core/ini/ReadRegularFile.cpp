#include "core/ini/ReadRegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/platform/ErrorText.h"
#include "core/platform/UniqueFd.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

RegularFileText Refused(std::string reason) {
    RegularFileText result;
    result.reason = std::move(reason);
    return result;
}

}  // namespace

RegularFileText ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer before the
    // check below could refuse it. It does not change how a regular file reads.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        if (errno == ENOENT) {
            RegularFileText missing;
            missing.status = RegularFileText::Status::kMissing;
            return missing;
        }
        return Refused(ErrorText(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return Refused(ErrorText(errno));
    if (!S_ISREG(info.st_mode))
        return Refused(Tr("不是普通文件"));  // a FIFO, a device, a folder
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return Refused(ErrorText(EFBIG));

    // Read with the system's own calls: a stream turns a read error into an early end of
    // file, and a file read only in part could be saved back in part. The cap holds also
    // for a file that grows while it is read.
    RegularFileText result;
    result.status = RegularFileText::Status::kRead;
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Refused(ErrorText(errno));
        if (n == 0)
            break;
        if (result.bytes.size() + static_cast<std::size_t>(n) > maxBytes)
            return Refused(ErrorText(EFBIG));
        result.bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return result;
}

}  // namespace korvida
