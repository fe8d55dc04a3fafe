#include "core/disc/ReadDiscCodes.h"

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Cdb.h"
#include "core/cdrom/DiscCodes.h"
#include "core/cdrom/Toc.h"

namespace korvida {

namespace {

// The sub-channel data header (4 bytes) and the 20-byte MCN or ISRC block.
constexpr std::uint16_t kReplyLength = 24;

// The 12 or 13 characters after the valid bit (MCVal or TCVal, byte 8 bit 7); "" when
// the bit is clear or the command failed.
std::string ReadCode(CSCSIDriver& driver, std::uint8_t format, std::uint8_t track,
                     std::size_t length) {
    std::uint8_t reply[kReplyLength] = {};
    std::uint32_t lun = 0;
    if (driver.currentDrive >= 0 && driver.currentDrive < kMaxDrives)
        lun = driver.drives[static_cast<std::size_t>(driver.currentDrive)].lun;
    const Cdb cdb = MakeReadSubQCdb(lun, format, kReplyLength, track);
    if (!driver.ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, reply,
                            sizeof reply) ||
        reply[4] != format || !(reply[8] & 0x80))
        return {};
    return std::string(reinterpret_cast<const char*>(reply + 9), length);
}

}  // namespace

void ReadDiscCodes(CSCSIDriver& driver, const DiscToc& toc, DiscInfo& disc) {
    disc.catalog.clear();
    disc.isrc.fill({});
    if (!toc.ok)
        return;
    std::string catalog = ReadCode(driver, 2, 0, 13);
    if (IsCatalogNumber(catalog))
        disc.catalog = std::move(catalog);
    const TocView view = ParseTocReply(disc.rawToc.data(), disc.rawToc.size());
    for (std::size_t i = 0; i < toc.tracks.size() && i < disc.isrc.size(); ++i) {
        // A data track has no ISRC; asking would only cost the drive a search.
        if (i < view.descriptors.size() && view.descriptors[i].IsData())
            continue;
        std::string isrc =
            ReadCode(driver, 3, static_cast<std::uint8_t>(toc.tracks[i].tocTrackNumber), 12);
        if (IsIsrc(isrc))
            disc.isrc[i] = std::move(isrc);
    }
}

}  // namespace korvida
