#include "core/verify/CtdbChecksums.h"

#include <zlib.h>

namespace korvida {
namespace {

std::uint32_t Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondBytes) {
    return static_cast<std::uint32_t>(
        crc32_combine64(first, second, static_cast<z_off64_t>(secondBytes)));
}

// The CRC32 of the disc's samples [from, to), counted from audio track 1's start, pieced
// together from the tracks' windows: a CRC is linear, so the figure of the samples between
// two running figures a and b (b after n more bytes) is b ^ combine(a, 0, n).
std::optional<std::uint32_t> RangeCrc(const CtdbTracks& tracks, std::int64_t from,
                                      std::int64_t to) {
    if (from < 0 || to < from)
        return std::nullopt;
    std::uint32_t crc = 0;
    std::int64_t start = 0;  // the current track's first sample on the disc
    for (const TrackChecksums* track : tracks) {
        if (start >= to)
            break;
        if (track == nullptr || !track->hasCtdb)
            return std::nullopt;
        const auto samples = static_cast<std::int64_t>(track->ctdbWindows.samples);
        const std::int64_t a = std::max<std::int64_t>(from - start, 0);
        const std::int64_t b = std::min<std::int64_t>(to - start, samples);
        if (a < b) {
            const auto atA = track->ctdbWindows.At(static_cast<std::uint64_t>(a));
            const auto atB = track->ctdbWindows.At(static_cast<std::uint64_t>(b));
            if (!atA || !atB)
                return std::nullopt;
            const auto bytes = static_cast<std::uint64_t>(b - a) * 4;
            crc = Combine(crc, *atB ^ Combine(*atA, 0, bytes), bytes);
        }
        start += samples;
    }
    return start >= to ? std::optional(crc) : std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> CtdbCrcWindows::At(std::uint64_t k) const {
    if (k == 0)
        return 0;
    for (const Window* window : {&whole, &head, &tail})
        if (k >= window->from && k - window->from < window->figures.size())
            return window->figures[k - window->from];
    return std::nullopt;
}

std::uint64_t CtdbTailSkip(std::uint32_t audioEndLba) {
    return kCtdbEdgeSamples + std::uint64_t{audioEndLba} * 588 % kCtdbEdgeSamples;
}

std::optional<std::uint32_t> CtdbTrackCrc(const CtdbTracks& tracks, std::size_t track, int shift,
                                          std::uint64_t tailSkip) {
    if (track >= tracks.size() || tracks[track] == nullptr || !tracks[track]->hasCtdb)
        return std::nullopt;
    if (shift == 0)
        return tracks[track]->ctdb;
    std::int64_t start = 0;
    for (std::size_t i = 0; i < track; ++i) {
        if (tracks[i] == nullptr)
            return std::nullopt;
        start += static_cast<std::int64_t>(tracks[i]->ctdbWindows.samples);
    }
    std::int64_t end = start + static_cast<std::int64_t>(tracks[track]->ctdbWindows.samples);
    if (track == 0)
        start += static_cast<std::int64_t>(kCtdbEdgeSamples);
    if (track + 1 == tracks.size())
        end -= static_cast<std::int64_t>(tailSkip);
    return RangeCrc(tracks, start + shift, end + shift);
}

std::optional<std::uint32_t> CtdbDiscCrc(const CtdbTracks& tracks, int shift,
                                         std::uint64_t tailSkip) {
    std::int64_t total = 0;
    for (const TrackChecksums* track : tracks) {
        if (track == nullptr)
            return std::nullopt;
        total += static_cast<std::int64_t>(track->ctdbWindows.samples);
    }
    return RangeCrc(tracks, static_cast<std::int64_t>(kCtdbEdgeSamples) + shift,
                    total - static_cast<std::int64_t>(tailSkip) + shift);
}

}  // namespace korvida
