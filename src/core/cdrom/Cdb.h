#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace korvida {

// A command descriptor block as built for one call. Unused bytes are 0.
struct Cdb {
    std::array<std::uint8_t, 16> bytes{};
    std::size_t length = 0;

    const std::uint8_t* data() const { return bytes.data(); }
};

// Opcodes the drive layer sends or the virtual drive answers.
namespace opcode {
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kStartStopUnit = 0x1B;
inline constexpr std::uint8_t kRead10 = 0x28;
inline constexpr std::uint8_t kSeek10 = 0x2B;
inline constexpr std::uint8_t kReadSubChannel = 0x42;
inline constexpr std::uint8_t kReadToc = 0x43;
inline constexpr std::uint8_t kPauseResume = 0x4B;
inline constexpr std::uint8_t kPlayAudio12 = 0xA5;
inline constexpr std::uint8_t kSetCdSpeed = 0xBB;
inline constexpr std::uint8_t kReadCd = 0xBE;
inline constexpr std::uint8_t kModeSense10 = 0x5A;
inline constexpr std::uint8_t kVendorReadCdda = 0xD4;    // NEC
inline constexpr std::uint8_t kVendorReadCdda12 = 0xD8;  // Plextor, Sony
}  // namespace opcode

// The drive types of the `DeviceType` setting, in the order the options page lists them.
inline constexpr int kDeviceTypeCount = 12;
const char* DeviceTypeName(int deviceType);

// The audio read command a drive type uses (0xBE, 0x28, 0xD4 or 0xD8). Types outside
// 0-11 use READ CD, like type 0.
std::uint8_t ReadCommandOfDeviceType(int deviceType);

Cdb MakeInquiryCdb();
Cdb MakeReadTocCdb(bool msf);
Cdb MakeReadAudioCdb(int deviceType, std::uint32_t lun, std::uint32_t lba, std::uint32_t sectors);
Cdb MakePlayAudioCdb(std::uint32_t startLba, std::uint32_t endLba);
Cdb MakePauseResumeCdb(std::uint32_t lun, bool pause);
Cdb MakeReadSubChannelCdb(std::uint32_t lun, std::uint8_t format, std::uint16_t length,
                          std::uint8_t track);
// READ TOC format 5: the CD-Text packs of the lead-in, `length` bytes at most.
Cdb MakeReadCdTextCdb(std::uint16_t length);
// READ SUB-CHANNEL asking for the Q data whatever the format: the catalogue number
// (format 2) and a track's ISRC (format 3) come only with it.
Cdb MakeReadSubQCdb(std::uint32_t lun, std::uint8_t format, std::uint16_t length,
                    std::uint8_t track);
Cdb MakeStartStopUnitCdb(bool eject);
Cdb MakeCloseTrayCdb();
Cdb MakeTestUnitReadyCdb();
// SET CD SPEED: the read speed in kB/s (0xFFFF: the drive's fastest), the write speed
// left at the fastest.
Cdb MakeSetCdSpeedCdb(std::uint16_t readKbPerSecond);
// READ (10) with FUA and no blocks at `lba`: a drive that honours FUA drops what it
// cached, so the next read comes from the disc. Nothing is transferred.
Cdb MakeFuaReadCdb(std::uint32_t lun, std::uint32_t lba);
// READ CD of audio frames with the C2 error pointers (294 bytes after each frame).
Cdb MakeReadCdC2Cdb(std::uint32_t lun, std::uint32_t lba, std::uint32_t sectors);
// MODE SENSE (10) of the current values of page 2Ah (CD capabilities).
Cdb MakeModeSenseCapabilitiesCdb(std::uint32_t lun, std::uint16_t length);

// "BE 20 00 …": the bytes of a CDB as upper-case hex pairs, for logs and test messages.
std::string CdbToHex(const std::uint8_t* cdb, std::size_t length);

}  // namespace korvida
