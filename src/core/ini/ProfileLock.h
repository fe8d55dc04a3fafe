#pragma once

#include <string>

#include "core/platform/UniqueFd.h"

namespace korvida {

// An exclusive lock between processes for reading a profile file, changing it and
// writing it back. It is taken on "<path>.lock", never on the file itself: every save
// renames a new file over the old one, and a lock on the old file would not be seen by
// the next writer, who opens the new one. Released when the object goes away.
class ProfileLock {
  public:
    // Waits for the lock. Without one (the lock file cannot be made), held() is false
    // and *errorText names the lock file and the cause.
    static ProfileLock Acquire(const std::string& path, std::string* errorText = nullptr);

    bool held() const { return fd_.valid(); }

  private:
    UniqueFd fd_;
};

}  // namespace korvida
