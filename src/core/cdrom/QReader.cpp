#include "core/cdrom/QReader.h"

#include <vector>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Cdb.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/platform/ByteOrder.h"

namespace korvida {
namespace {

// ILLEGAL REQUEST: the drive does not know the command or this use of it. Any other
// failure (a medium error at that frame) says nothing about the method.
bool Refused(const CSCSIDriver& driver) {
    return (driver.lastSense[2] & 0x0F) == kSenseIllegalRequest;
}

}  // namespace

std::uint32_t QReader::Lun() const {
    if (driver_.currentDrive >= 0 && driver_.currentDrive < kMaxDrives)
        return driver_.drives[static_cast<std::size_t>(driver_.currentDrive)].lun;
    return 0;
}

std::optional<QPosition> QReader::ByReadCd(std::uint32_t lba, bool& refused) {
    Cdb cdb;
    cdb.length = 12;
    cdb.bytes[0] = opcode::kReadCd;
    cdb.bytes[1] = static_cast<std::uint8_t>(Lun() << 5 | 1 << 2);  // sector type 1: CD-DA
    PutBe32(&cdb.bytes[2], lba);                                    // starting LBA
    cdb.bytes[8] = 1;                                               // one frame
    cdb.bytes[9] = 0x10;   // the frame's user data: 2352 bytes of audio
    cdb.bytes[10] = 0x02;  // sub-channel selection 010b: formatted Q, 16 bytes
    std::vector<std::uint8_t> reply(kRawSectorSize + kFormattedQSize);
    ++commands_;
    driver_.lastSense = {};
    if (!driver_.ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, reply.data(),
                             static_cast<std::uint32_t>(reply.size()))) {
        refused = Refused(driver_);
        return std::nullopt;
    }
    return ParseQPosition(reply.data() + kRawSectorSize);
}

std::optional<QPosition> QReader::BySeek(std::uint32_t lba, bool& refused) {
    Cdb seek;
    seek.length = 10;
    seek.bytes[0] = opcode::kSeek10;
    seek.bytes[1] = static_cast<std::uint8_t>(Lun() << 5);
    PutBe32(&seek.bytes[2], lba);  // the frame the head goes to
    ++commands_;
    driver_.lastSense = {};
    if (!driver_.ExecCommand(seek.data(), static_cast<int>(seek.length), nullptr, 0, nullptr, 0)) {
        refused = Refused(driver_);
        return std::nullopt;
    }
    // Format 1, the current position, with the Q data (16 bytes with the header).
    const Cdb cdb = MakeReadSubQCdb(Lun(), 1, 16, 0);
    std::uint8_t reply[16] = {};
    ++commands_;
    driver_.lastSense = {};
    if (!driver_.ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, reply,
                             sizeof reply)) {
        refused = Refused(driver_);
        return std::nullopt;
    }
    // Byte 5: ADR in the high nibble, control in the low one; only ADR 1 is a position.
    // The drive decoded the frame itself: its CRC was good or it would not say.
    if (reply[4] != 1 || (reply[5] >> 4) != 1)
        return std::nullopt;
    QPosition position;
    position.control = reply[5] & 0x0F;
    position.track = reply[6];
    position.index = reply[7];
    position.lba = Be32(&reply[8]);
    return position;
}

std::optional<QPosition> QReader::At(std::uint32_t lba) {
    bool refused = false;
    if (method_ == Method::kUntried || method_ == Method::kReadCd) {
        std::optional<QPosition> position = ByReadCd(lba, refused);
        if (!refused) {
            method_ = Method::kReadCd;
            return position;
        }
        method_ = Method::kSeekAndSubchannel;
        refused = false;
    }
    if (method_ == Method::kSeekAndSubchannel) {
        std::optional<QPosition> position = BySeek(lba, refused);
        if (refused)
            method_ = Method::kNone;
        return position;
    }
    return std::nullopt;
}

}  // namespace korvida
