#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvida {

// One entry of a disc in the CUETools database: a set of rips that agreed.
struct CtdbEntry {
    int confidence = 0;                    // how many submissions agreed
    std::uint32_t crc32 = 0;               // the whole disc's figure (CtdbDiscCrc)
    std::vector<std::uint32_t> trackCrcs;  // per audio track (CtdbTrackCrc)
};

struct CtdbReply {
    bool ok = false;  // an XML document whose root is <ctdb>
    std::vector<CtdbEntry> entries;
    std::string problem;  // why the reply was not ok
};

// Parses a lookup's reply,
//   <ctdb xmlns="…"><entry confidence="3" crc32="a1b2c3d4" id="…" npar="8" stride="5880"
//   toc="0:11413:…" trackcrcs="1c2d3e4f 0a1b2c3d …" hasparity="…"/>…<metadata …/></ctdb>
// as lookup2.php?version=3 answers it. Attributes the verification does not use (id, npar,
// stride, parity, the metadata) are ignored; a CRC may carry "0x". A document that is
// not XML, has another root, or an entry whose figures do not parse is not ok: a broken
// or hostile reply confirms nothing.
CtdbReply ParseCtdbReply(const std::uint8_t* bytes, std::size_t size);

}  // namespace korvida
