#include "core/disc/LocalDiscKey.h"

#include <cstdio>

#include "core/platform/AppHome.h"

namespace korvida {
namespace {

std::uint32_t DigitSum(std::uint32_t n) {
    std::uint32_t sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

}  // namespace

std::uint32_t LocalDiscKey(const DiscToc& toc) {
    if (toc.tracks.empty())
        return 0;
    std::uint32_t sum = 0;
    for (const auto& track : toc.tracks)
        sum += DigitSum((track.end - track.start) / 75);
    const std::uint32_t seconds = (toc.leadout - toc.tracks.front().start) / 75;
    const auto n = static_cast<std::uint32_t>(toc.tracks.size());
    return (sum % 255) << 24 | seconds << 8 | n;
}

std::string DiscDatabasePath(std::uint32_t key) {
    char name[32];
    std::snprintf(name, sizeof name, "db/%x.db", key);
    return AppHome() + name;
}

}  // namespace korvida
