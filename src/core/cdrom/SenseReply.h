#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cdrom/ScsiTypes.h"
#include "core/platform/ByteOrder.h"

namespace korvida {

// How the virtual drive ends a command: status GOOD with `transferred` bytes moved.
inline ScsiReply GoodReply(std::size_t transferred = 0) {
    ScsiReply reply;
    reply.delivered = true;
    reply.status = kScsiStatusGood;
    reply.transferred = transferred;
    return reply;
}

// CHECK CONDITION with fixed-format sense data (18 bytes); `information` fills the
// information field (and sets its valid bit).
inline ScsiReply SenseReply(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq = 0,
                            const std::uint32_t* information = nullptr,
                            std::size_t transferred = 0) {
    ScsiReply reply;
    reply.delivered = true;
    reply.status = kScsiStatusCheckCondition;
    reply.transferred = transferred;
    reply.sense[0] = information ? 0xF0 : 0x70;  // current error; 0x80 = information valid
    reply.sense[2] = key;
    if (information)
        PutBe32(&reply.sense[3], *information);
    reply.sense[7] = 10;  // additional sense length
    reply.sense[12] = asc;
    reply.sense[13] = ascq;
    reply.senseLength = 18;
    return reply;
}

}  // namespace korvida
