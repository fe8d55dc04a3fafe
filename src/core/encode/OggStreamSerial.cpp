#include "core/encode/OggStreamSerial.h"

#include <mutex>
#include <random>

namespace korvida {

int OggStreamSerial() {
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard lock(mutex);
    return static_cast<int>(generator() & 0x7FFFFFFF);
}

}  // namespace korvida
