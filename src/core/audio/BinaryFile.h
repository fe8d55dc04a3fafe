#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "core/platform/UniqueFd.h"

namespace korvida {

// An open file descriptor with the few operations the WAV writers, readers and the
// normaliser need. No exceptions: each call says whether it worked and the failing call's
// errno stays available for the job-log line. Reads and writes with an explicit offset
// leave the file position alone, so the in-place passes need no "seek back".
class BinaryFile {
  public:
    enum class Mode {
        kRead,  // existing file, read only
        // kRead for an input the user named: a FIFO (whose open would wait for a writer
        // that Ctrl+C cannot hurry), a device or a socket is refused, notRegular() set.
        kReadRegular,
        kReadWrite,  // existing file, read and write in place
        kCreate,     // write only; created, or truncated when it exists
    };

    BinaryFile() = default;

    bool Open(const std::string& path, Mode mode);
    // The file as messages name it: the path last given to Open, or the name set since
    // (a file written beside its final name is known to the user by that name).
    const std::string& path() const { return path_; }
    void SetShownPath(std::string path) { path_ = std::move(path); }

    // Read up to `size` bytes at the position (or at `offset`). Fewer come back only at
    // the end of the file; -1 on an error.
    std::int64_t Read(void* buffer, std::size_t size);
    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size);

    // Write all `size` bytes at the position (or at `offset`); false when any is missing.
    bool Write(const void* data, std::size_t size);
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);

    bool Seek(std::uint64_t offset);
    bool SeekToEnd();
    // -1 on an error.
    std::int64_t Position();
    std::int64_t Size();

    // Closing can be the first call to see a full disk on some file systems, so its
    // result counts. Closing a closed file succeeds.
    bool Close();

    int lastError() const { return lastError_; }
    // The last Open in kReadRegular mode found something other than a regular file.
    bool notRegular() const { return notRegular_; }
    std::string lastErrorText() const;

  private:
    bool Fail();
    // The result of a whole write of `size` bytes that moved `moved` (-1: failed).
    bool Written(std::size_t size, std::int64_t moved);

    UniqueFd fd_;
    std::string path_;
    int lastError_ = 0;
    bool notRegular_ = false;
};

}  // namespace korvida
