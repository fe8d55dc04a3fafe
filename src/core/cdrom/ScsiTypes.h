#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvida {

// SCSI status bytes (SAM) that the drive layer tells apart.
inline constexpr std::uint8_t kScsiStatusGood = 0x00;
inline constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;

// Sense keys (fixed-format sense byte 2, low nibble).
inline constexpr std::uint8_t kSenseNoSense = 0x0;
inline constexpr std::uint8_t kSenseNotReady = 0x2;
inline constexpr std::uint8_t kSenseMediumError = 0x3;
inline constexpr std::uint8_t kSenseIllegalRequest = 0x5;
inline constexpr std::uint8_t kSenseUnitAttention = 0x6;

// Audio status byte of READ SUB-CHANNEL (byte 1 of the reply).
inline constexpr std::uint8_t kAudioStatusPlaying = 0x11;
inline constexpr std::uint8_t kAudioStatusPaused = 0x12;
inline constexpr std::uint8_t kAudioStatusCompleted = 0x13;
inline constexpr std::uint8_t kAudioStatusError = 0x14;  // play stopped by an error
inline constexpr std::uint8_t kAudioStatusNone = 0x15;

// The per-command limit of every transport: a command still running after this counts
// as failed.
inline constexpr unsigned kCommandTimeoutMs = 5000;

// One CD-DA frame: 588 stereo samples of 16 bits.
inline constexpr std::uint32_t kRawSectorSize = 2352;
// User data of a Mode 1 sector, behind 12 sync and 4 header bytes.
inline constexpr std::uint32_t kMode1UserSize = 2048;
inline constexpr std::uint32_t kMode1UserOffset = 16;
// MSF addresses count the 2-second lead-in gap that LBAs leave out.
inline constexpr std::uint32_t kMsfOffset = 150;

// Size of the READ TOC reply buffer: 4-byte header and 100 descriptors of 8 bytes
// (99 tracks and the lead-out).
inline constexpr std::size_t kTocBufferSize = 804;

enum class DataDirection { kNone, kToDevice, kFromDevice };

// One command as a transport sends it. The transport never writes more than
// dataLength bytes into data.
struct ScsiRequest {
    const std::uint8_t* cdb = nullptr;
    std::size_t cdbLength = 0;
    DataDirection direction = DataDirection::kNone;
    std::uint8_t* data = nullptr;
    std::size_t dataLength = 0;
    unsigned timeoutMs = kCommandTimeoutMs;
};

// How a command ended. Only status GOOD with no host or driver error is a success.
struct ScsiReply {
    bool delivered = false;        // the transport handed the command over at all
    bool timedOut = false;         // no answer within the time-out
    std::uint8_t status = 0xFF;    // SCSI status byte
    std::uint16_t hostStatus = 0;  // adapter-level failure (non-zero = failed)
    std::uint16_t driverStatus = 0;
    std::size_t transferred = 0;  // bytes actually moved
    std::array<std::uint8_t, 32> sense{};
    std::size_t senseLength = 0;
    int systemError = 0;  // errno of a failed system call, else 0

    bool Succeeded() const {
        return delivered && !timedOut && status == kScsiStatusGood && hostStatus == 0 &&
               driverStatus == 0;
    }
};

}  // namespace korvida
