#include "core/cdrom/Cdb.h"

#include <cstdio>

#include "core/platform/ByteOrder.h"

namespace korvida {

namespace {

constexpr const char* kDeviceTypeNames[kDeviceTypeCount] = {
    "普通",  "TOSHIBA", "IBM",     "NEC",     "DEC",  "KODAK",
    "RICOH", "HP",      "PHILIPS", "PLEXTOR", "SONY", "YAMAHA"};

std::uint8_t LunField(std::uint32_t lun) {
    return static_cast<std::uint8_t>((lun & 0x7) << 5);
}

}  // namespace

const char* DeviceTypeName(int deviceType) {
    if (deviceType < 0 || deviceType >= kDeviceTypeCount)
        return "";
    return kDeviceTypeNames[deviceType];
}

std::uint8_t ReadCommandOfDeviceType(int deviceType) {
    switch (deviceType) {
        case 1:
        case 2:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 11:
            return opcode::kRead10;
        case 3:
            return opcode::kVendorReadCdda;
        case 9:
        case 10:
            return opcode::kVendorReadCdda12;
        default:
            return opcode::kReadCd;
    }
}

Cdb MakeInquiryCdb() {
    Cdb cdb;
    cdb.length = 6;
    cdb.bytes[0] = opcode::kInquiry;
    cdb.bytes[4] = 100;  // allocation length; no LUN field
    return cdb;
}

Cdb MakeReadTocCdb(bool msf) {
    Cdb cdb;
    cdb.length = 10;
    cdb.bytes[0] = opcode::kReadToc;
    cdb.bytes[1] = msf ? 0x02 : 0x00;  // MSF bit; no LUN field
    cdb.bytes[2] = 0;                  // format 0: the table of contents
    cdb.bytes[6] = 0;                  // starting track 0: all tracks
    cdb.bytes[7] = 0x03;               // allocation length 0x0324 = 804
    cdb.bytes[8] = 0x24;
    return cdb;
}

Cdb MakeReadAudioCdb(int deviceType, std::uint32_t lun, std::uint32_t lba, std::uint32_t sectors) {
    Cdb cdb;
    const std::uint8_t command = ReadCommandOfDeviceType(deviceType);
    cdb.bytes[0] = command;
    // READ CD: expected sector type 0 (any) in bits 4-2 stays 0 beside the LUN.
    cdb.bytes[1] = LunField(lun);
    // Byte 2 stays 0: only the low 24 bits of the start LBA go out, which covers any CD.
    cdb.bytes[3] = static_cast<std::uint8_t>(lba >> 16);
    cdb.bytes[4] = static_cast<std::uint8_t>(lba >> 8);
    cdb.bytes[5] = static_cast<std::uint8_t>(lba);
    if (command == opcode::kVendorReadCdda12) {
        cdb.length = 12;
        cdb.bytes[8] = static_cast<std::uint8_t>(sectors >> 8);  // transfer length, frames
        cdb.bytes[9] = static_cast<std::uint8_t>(sectors);
    } else {
        cdb.length = command == opcode::kReadCd ? 12 : 10;
        cdb.bytes[7] = static_cast<std::uint8_t>(sectors >> 8);  // transfer length, frames
        cdb.bytes[8] = static_cast<std::uint8_t>(sectors);
        if (command == opcode::kReadCd)
            cdb.bytes[9] = 0x10;  // user data only
    }
    return cdb;
}

Cdb MakePlayAudioCdb(std::uint32_t startLba, std::uint32_t endLba) {
    Cdb cdb;
    cdb.length = 12;
    cdb.bytes[0] = opcode::kPlayAudio12;  // no LUN field
    PutBe32(&cdb.bytes[2], startLba);
    PutBe32(&cdb.bytes[6], endLba - startLba);  // transfer length in frames
    return cdb;
}

Cdb MakePauseResumeCdb(std::uint32_t lun, bool pause) {
    Cdb cdb;
    cdb.length = 10;
    cdb.bytes[0] = opcode::kPauseResume;
    cdb.bytes[1] = LunField(lun);
    cdb.bytes[8] = pause ? 0 : 1;  // the resume bit
    return cdb;
}

Cdb MakeReadSubChannelCdb(std::uint32_t lun, std::uint8_t format, std::uint16_t length,
                          std::uint8_t track) {
    Cdb cdb;
    cdb.length = 10;
    cdb.bytes[0] = opcode::kReadSubChannel;
    cdb.bytes[1] = LunField(lun);                            // MSF bit clear: addresses as LBA
    cdb.bytes[2] = (format == 1 || format == 2) ? 0x40 : 0;  // SubQ: return Q data
    cdb.bytes[3] = format;
    cdb.bytes[6] = track;
    cdb.bytes[7] = static_cast<std::uint8_t>(length >> 8);  // allocation length
    cdb.bytes[8] = static_cast<std::uint8_t>(length);
    return cdb;
}

Cdb MakeReadCdTextCdb(std::uint16_t length) {
    Cdb cdb;
    cdb.length = 10;
    cdb.bytes[0] = opcode::kReadToc;                        // no LUN field, MSF bit clear
    cdb.bytes[2] = 5;                                       // format 5: CD-Text
    cdb.bytes[7] = static_cast<std::uint8_t>(length >> 8);  // allocation length
    cdb.bytes[8] = static_cast<std::uint8_t>(length);
    return cdb;
}

Cdb MakeReadSubQCdb(std::uint32_t lun, std::uint8_t format, std::uint16_t length,
                    std::uint8_t track) {
    Cdb cdb = MakeReadSubChannelCdb(lun, format, length, track);
    cdb.bytes[2] = 0x40;  // SubQ: return Q data
    return cdb;
}

Cdb MakeStartStopUnitCdb(bool eject) {
    Cdb cdb;
    cdb.length = 6;
    cdb.bytes[0] = opcode::kStartStopUnit;  // no LUN field
    // LoEj with Start clear opens the tray; both clear just stops the spindle (and play).
    cdb.bytes[4] = eject ? 0x02 : 0x00;
    return cdb;
}

Cdb MakeCloseTrayCdb() {
    Cdb cdb;
    cdb.length = 6;
    cdb.bytes[0] = opcode::kStartStopUnit;
    cdb.bytes[4] = 0x03;  // LoEj and Start
    return cdb;
}

Cdb MakeTestUnitReadyCdb() {
    Cdb cdb;
    cdb.length = 6;
    cdb.bytes[0] = opcode::kTestUnitReady;
    return cdb;
}

Cdb MakeSetCdSpeedCdb(std::uint16_t readKbPerSecond) {
    Cdb cdb;
    cdb.length = 12;
    cdb.bytes[0] = opcode::kSetCdSpeed;
    cdb.bytes[2] = static_cast<std::uint8_t>(readKbPerSecond >> 8);
    cdb.bytes[3] = static_cast<std::uint8_t>(readKbPerSecond);
    cdb.bytes[4] = 0xFF;  // write speed: the fastest
    cdb.bytes[5] = 0xFF;
    return cdb;
}

Cdb MakeFuaReadCdb(std::uint32_t lun, std::uint32_t lba) {
    Cdb cdb;
    cdb.length = 10;
    cdb.bytes[0] = opcode::kRead10;
    cdb.bytes[1] = static_cast<std::uint8_t>(LunField(lun) | 0x08);  // FUA
    PutBe32(&cdb.bytes[2], lba);
    return cdb;  // transfer length 0
}

Cdb MakeReadCdC2Cdb(std::uint32_t lun, std::uint32_t lba, std::uint32_t sectors) {
    Cdb cdb = MakeReadAudioCdb(0, lun, lba, sectors);
    cdb.bytes[9] = 0x12;  // user data and the C2 error bits
    return cdb;
}

Cdb MakeModeSenseCapabilitiesCdb(std::uint32_t lun, std::uint16_t length) {
    Cdb cdb;
    cdb.length = 10;
    cdb.bytes[0] = opcode::kModeSense10;
    cdb.bytes[1] = static_cast<std::uint8_t>(LunField(lun) | 0x08);  // no block descriptors
    cdb.bytes[2] = 0x2A;  // current values of the CD capabilities page
    PutBe16(&cdb.bytes[7], length);
    return cdb;
}

std::string CdbToHex(const std::uint8_t* cdb, std::size_t length) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", cdb[i]);
        if (i)
            text += ' ';
        text += pair;
    }
    return text;
}

}  // namespace korvida
