#include "core/settings/ProxyPassword.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/ini/ProfileFile.h"

namespace korvida {
namespace {

// Our own scrambling constants. The character offset is large enough that no scrambled
// character can come out as 0, which reading takes as the end of the password.
constexpr char kKeyText[] =
    "q7Rt2LmX9vBn4KpZ8sWd3HfJ6gYc1NxQ5aTe0UiOkMrVbE7zPyDl2FwSj9GhCu4Ao8nIvKq3";
static_assert(sizeof(kKeyText) - 1 == 72);
constexpr double kMaskScale = 100.0;
constexpr double kMaskOffset = 3.0;
constexpr double kMaskFactor = 0.7;
constexpr double kLengthScale = 1000.0;
constexpr double kLengthAngle = 0.3;
constexpr int kLengthOffset = 4096;
constexpr int kCharOffset = 1000;
constexpr int kMaxStoredChars = 81;

int KeyChar(int i) {
    return i < 72 ? static_cast<signed char>(kKeyText[i]) : 0;
}
int Mask(int i) {
    return static_cast<int>(kMaskScale * std::cos((i + kMaskOffset) * kMaskFactor));
}
int LengthMask() {
    return static_cast<int>(kLengthScale * std::cos(kLengthAngle));
}

std::string KeyName(int position) {
    char name[24];
    std::snprintf(name, sizeof name, "Proxy%03d", position);
    return name;
}

}  // namespace

void WriteProxyPassword(ProfileFile& file, const std::string& password) {
    const int length = static_cast<int>(password.size());
    file.SetInt("CDDB", "Proxy000", static_cast<long>((length ^ LengthMask()) + kLengthOffset));
    for (int i = 0; i < length && i < kMaxStoredChars; ++i) {
        const int c = static_cast<signed char>(password[static_cast<std::size_t>(i)]);
        file.SetInt("CDDB", KeyName(i + 1), KeyChar(i) + (c ^ Mask(i)) + kCharOffset);
    }
}

std::string ReadProxyPassword(const ProfileFile& file) {
    const int stored = file.GetInt("CDDB", "Proxy000", 0);
    if (stored == 0)
        return {};
    // The stored numbers come from a file anyone may edit: any int must decode without
    // overflowing, so the arithmetic is done in 64 bits.
    const std::int64_t length = (std::int64_t{stored} - kLengthOffset) ^ LengthMask();
    std::string password;
    for (int i = 0; i < length && i < kMaxStoredChars; ++i) {
        const int value = file.GetInt("CDDB", KeyName(i + 1), 0);
        if (value == 0)
            break;
        password.push_back(
            static_cast<char>(Mask(i) ^ (std::int64_t{value} - KeyChar(i) - kCharOffset)));
    }
    return password;
}

}  // namespace korvida
