#include "core/audio/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/platform/ErrorText.h"

namespace korvida {
namespace {

// Repeats a read or write call (given the bytes done so far) until `size` bytes have
// moved, it moves nothing (end of file) or it fails with other than EINTR. Returns the
// bytes moved, or -1 after a failure, errno telling why.
template <class Call>
std::int64_t TransferAll(std::size_t size, Call call) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = call(done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace

bool BinaryFile::Fail() {
    lastError_ = errno;
    return false;
}

bool BinaryFile::Open(const std::string& path, Mode mode) {
    Close();
    path_ = path;
    notRegular_ = false;
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::kRead:
            flags |= O_RDONLY;
            break;
        case Mode::kReadRegular:
            flags |= O_RDONLY | O_NONBLOCK;  // a FIFO opens at once, then is refused below
            break;
        case Mode::kReadWrite:
            flags |= O_RDWR;
            break;
        case Mode::kCreate:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
    }
    fd_ = UniqueFd(::open(path.c_str(), flags, 0666));
    if (!fd_.valid())
        return Fail();
    // Opening a folder for reading succeeds on Linux; every later read would fail with a
    // less telling error, so refuse it here.
    struct stat st {};
    if (::fstat(fd_.get(), &st) == 0 && S_ISDIR(st.st_mode)) {
        fd_.Reset();
        errno = EISDIR;
        return Fail();
    }
    if (mode == Mode::kReadRegular) {
        if (!S_ISREG(st.st_mode)) {
            fd_.Reset();
            notRegular_ = true;
            errno = EINVAL;
            return Fail();
        }
        // Reads of a regular file never wait anyway; cleared so nothing later sees EAGAIN.
        const int status = ::fcntl(fd_.get(), F_GETFL);
        if (status < 0 || ::fcntl(fd_.get(), F_SETFL, status & ~O_NONBLOCK) != 0) {
            const int error = errno;
            fd_.Reset();
            errno = error;
            return Fail();
        }
    }
    return true;
}

std::int64_t BinaryFile::Read(void* buffer, std::size_t size) {
    auto* out = static_cast<char*>(buffer);
    const std::int64_t n = TransferAll(
        size, [&](std::size_t done) { return ::read(fd_.get(), out + done, size - done); });
    if (n < 0)
        Fail();
    return n;
}

std::int64_t BinaryFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    auto* out = static_cast<char*>(buffer);
    const std::int64_t n = TransferAll(size, [&](std::size_t done) {
        return ::pread(fd_.get(), out + done, size - done, static_cast<off_t>(offset + done));
    });
    if (n < 0)
        Fail();
    return n;
}

bool BinaryFile::Write(const void* data, std::size_t size) {
    const auto* in = static_cast<const char*>(data);
    return Written(size, TransferAll(size, [&](std::size_t done) {
                       return ::write(fd_.get(), in + done, size - done);
                   }));
}

bool BinaryFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* in = static_cast<const char*>(data);
    return Written(size, TransferAll(size, [&](std::size_t done) {
                       return ::pwrite(fd_.get(), in + done, size - done,
                                       static_cast<off_t>(offset + done));
                   }));
}

bool BinaryFile::Written(std::size_t size, std::int64_t moved) {
    if (moved < 0)
        return Fail();
    if (static_cast<std::size_t>(moved) != size) {
        // A write that moves nothing is not going to move the rest either.
        errno = EIO;
        return Fail();
    }
    return true;
}

bool BinaryFile::Seek(std::uint64_t offset) {
    if (::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
        return Fail();
    return true;
}

bool BinaryFile::SeekToEnd() {
    if (::lseek(fd_.get(), 0, SEEK_END) < 0)
        return Fail();
    return true;
}

std::int64_t BinaryFile::Position() {
    const off_t pos = ::lseek(fd_.get(), 0, SEEK_CUR);
    if (pos < 0)
        Fail();
    return pos;
}

std::int64_t BinaryFile::Size() {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) {
        Fail();
        return -1;
    }
    return st.st_size;
}

bool BinaryFile::Close() {
    if (!fd_.valid())
        return true;
    const int fd = fd_.release();
    // After a failed close the descriptor is gone on Linux; retrying would close another.
    if (::close(fd) != 0)
        return Fail();
    return true;
}

std::string BinaryFile::lastErrorText() const {
    return ErrorText(lastError_);
}

}  // namespace korvida
