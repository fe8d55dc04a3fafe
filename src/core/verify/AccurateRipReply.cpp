#include "core/verify/AccurateRipReply.h"

#include "core/platform/ByteOrder.h"
#include "core/text/FormatText.h"
#include "core/verify/AccurateRipDisc.h"

namespace korvida {

AccurateRipReply ParseAccurateRipReply(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kHeader = 13;  // count, id1, id2, freedb id
    constexpr std::size_t kTrack = 9;    // confidence, CRC, frame-450 CRC
    AccurateRipReply reply;
    if (size == 0) {
        reply.problem = "空回复";
        return reply;
    }
    std::size_t at = 0;
    while (at < size) {
        const std::size_t count = bytes[at];
        if (count == 0) {
            reply.problem = "第 " + std::to_string(reply.pressings.size() + 1) + " 个版本没有音轨";
            return reply;
        }
        if (size - at < kHeader + count * kTrack) {
            reply.problem = "回复在第 " + std::to_string(at) + " 字节处被截断";
            return reply;
        }
        AccurateRipPressing pressing;
        pressing.id1 = Le32(bytes + at + 1);
        pressing.id2 = Le32(bytes + at + 5);
        pressing.freedbId = Le32(bytes + at + 9);
        at += kHeader;
        for (std::size_t t = 0; t < count; ++t, at += kTrack) {
            pressing.tracks.push_back({bytes[at], Le32(bytes + at + 1), Le32(bytes + at + 5)});
        }
        reply.pressings.push_back(std::move(pressing));
    }
    reply.ok = true;
    return reply;
}

AccurateRipReply ParseAccurateRipReply(const std::uint8_t* bytes, std::size_t size,
                                       const AccurateRipDisc& disc) {
    AccurateRipReply reply = ParseAccurateRipReply(bytes, size);
    for (std::size_t i = 0; reply.ok && i < reply.pressings.size(); ++i) {
        const AccurateRipPressing& pressing = reply.pressings[i];
        if (pressing.tracks.size() == static_cast<std::size_t>(disc.audioTracks) &&
            pressing.id1 == disc.id1 && pressing.id2 == disc.id2 &&
            pressing.freedbId == disc.freedbId)
            continue;
        reply.ok = false;
        reply.problem =
            FormatText("第 %zu 个版本属于另一张光盘: %03zu-%08x-%08x-%08x", i + 1,
                       pressing.tracks.size(), pressing.id1, pressing.id2, pressing.freedbId);
    }
    return reply;
}

}  // namespace korvida
