#include "core/disc/ReadCdText.h"

#include <algorithm>
#include <vector>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Cdb.h"
#include "core/disc/ParseCdText.h"
#include "core/platform/ByteOrder.h"

namespace korvida {

CdText ReadCdText(CSCSIDriver& driver, std::uint8_t language) {
    // The header first, then exactly what it announces: drives differ in what they do
    // with an allocation length larger than their CD-Text.
    std::uint8_t header[4] = {};
    const Cdb probe = MakeReadCdTextCdb(sizeof header);
    if (!driver.ExecCommand(probe.data(), static_cast<int>(probe.length), nullptr, 0, header,
                            sizeof header))
        return {};
    const std::size_t length = std::size_t{Be16(header)} + 2;
    if (length <= sizeof header)
        return {};
    // The 16-bit field can announce at most 65537 bytes, more than an allocation can ask.
    const auto allocation = static_cast<std::uint16_t>(std::min<std::size_t>(length, 0xFFFF));
    std::vector<std::uint8_t> reply(allocation, 0);
    const Cdb read = MakeReadCdTextCdb(allocation);
    if (!driver.ExecCommand(read.data(), static_cast<int>(read.length), nullptr, 0, reply.data(),
                            allocation))
        return {};
    return ParseCdText(reply.data(), reply.size(), language);
}

}  // namespace korvida
