#include "core/cdrom/BuildTocReply.h"

#include "core/cdrom/ScsiTypes.h"
#include "core/platform/ByteOrder.h"

namespace korvida {

void PutTocAddress(std::uint8_t* p, std::uint32_t lba, bool msf) {
    if (!msf) {
        PutBe32(p, lba);
        return;
    }
    std::uint32_t frames = lba + kMsfOffset;
    p[0] = 0;
    p[1] = static_cast<std::uint8_t>(frames / (60 * 75));
    p[2] = static_cast<std::uint8_t>(frames / 75 % 60);
    p[3] = static_cast<std::uint8_t>(frames % 75);
}

std::vector<std::uint8_t> BuildTocReply(const DiscImage& image, bool msf, std::uint8_t startTrack) {
    std::vector<std::uint8_t> reply(4);
    reply[2] = static_cast<std::uint8_t>(image.tracks.front().number);
    reply[3] = static_cast<std::uint8_t>(image.tracks.back().number);
    auto descriptor = [&](std::uint8_t control, std::uint8_t number, std::uint32_t lba) {
        std::uint8_t entry[8] = {};
        entry[1] = static_cast<std::uint8_t>(0x10 | control);  // ADR 1: Q encodes position
        entry[2] = number;
        PutTocAddress(&entry[4], lba, msf);
        reply.insert(reply.end(), entry, entry + 8);
    };
    if (startTrack != 0xAA) {
        if (startTrack > image.tracks.back().number)
            return {};
        for (const ImageTrack& track : image.tracks) {
            if (track.number >= startTrack) {
                descriptor(track.control, static_cast<std::uint8_t>(track.number), track.startLba);
            }
        }
    }
    descriptor(image.tracks.back().control & 0x4, 0xAA, image.leadout);
    PutBe16(&reply[0], static_cast<std::uint32_t>(reply.size() - 2));
    return reply;
}

}  // namespace korvida
