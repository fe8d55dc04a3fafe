#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvida {

struct AccurateRipDisc;

// One pressing of a disc as the database holds it.
struct AccurateRipPressing {
    struct Track {
        int confidence = 0;
        std::uint32_t crc = 0;
        std::uint32_t frame450 = 0;
    };
    std::uint32_t id1 = 0;
    std::uint32_t id2 = 0;
    std::uint32_t freedbId = 0;
    std::vector<Track> tracks;
};

struct AccurateRipReply {
    bool ok = false;  // every byte belonged to a whole pressing
    std::vector<AccurateRipPressing> pressings;
    std::string problem;  // why the reply was not ok
};

// Parses a database file: pressings one after another, each a u8 track count, LE32 id1,
// LE32 id2, LE32 freedb id, then per track a u8 confidence, LE32 CRC and LE32 frame-450
// CRC. A reply cut short, empty, or with a pressing of no tracks is not ok: none of it is
// to be trusted.
AccurateRipReply ParseAccurateRipReply(const std::uint8_t* bytes, std::size_t size);

// The same for the reply to a request for `disc`'s file. Every pressing's header must name
// that disc (its audio track count, both ids and the freedb id): a server that answers
// with another disc's pressings would otherwise confirm tracks it knows nothing of. A
// pressing of another disc makes the whole reply not ok.
AccurateRipReply ParseAccurateRipReply(const std::uint8_t* bytes, std::size_t size,
                                       const AccurateRipDisc& disc);

}  // namespace korvida
