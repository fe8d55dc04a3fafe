#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/cdrom/CacheDefeat.h"
#include "core/cdrom/DriveFeatures.h"
#include "core/cdrom/SCSIDriveInfo.h"

namespace korvida {

// The argument of ReadAudio. The caller sets byteLength to sectorCount × 2352 and owns
// the buffer, which receives the whole byte length.
struct AudioReadRequest {
    std::uint32_t startLba = 0;
    std::uint32_t sectorCount = 0;
    std::uint32_t byteLength = 0;
    std::uint32_t reserved[3] = {};  // zeroed by the caller, not read
    std::uint8_t* buffer = nullptr;
};

inline constexpr int kMaxDrives = 16;

// What TEST UNIT READY made of a drive.
enum class DriveReadiness {
    kReady,     // ready, or a drive that does not say (the commands then tell)
    kNoDisc,    // NOT READY, medium not present (tray closed or open)
    kNotReady,  // still becoming ready when the time given ran out
};

// The one SCSI driver object: the drive table, the selected drive, and the CD-ROM
// command set as operations. Results are 1 for success and 0 for failure. This base
// does nothing and fails every operation; CSCSIDriverNative is the working transport.
// Not thread-safe: callers keep commands from overlapping (the UI stops play before a
// rip thread reads).
class CSCSIDriver {
  public:
    virtual ~CSCSIDriver() = default;

    // PAUSE/RESUME: pause when `pause` is non-zero, resume when 0.
    virtual int Pause(int pause);
    // Current play position from READ SUB-CHANNEL: track-relative and absolute LBA and
    // the audio status byte (0x11 playing, 0x12 paused, 0x13 completed, 0x15 none).
    virtual int GetPosition(std::int32_t* relative, std::int32_t* absolute,
                            std::uint32_t* audioStatus);
    // READ SUB-CHANNEL into `buffer` (zeroed first, `length` bytes).
    virtual int ReadSubChannel(std::uint8_t format, std::uint8_t* buffer, std::uint32_t length,
                               std::uint8_t track);
    virtual int Eject();
    // START STOP UNIT with LoEj and Start: closes the tray and spins the disc up.
    virtual int CloseTray();
    // 1 when TEST UNIT READY says the tray is open (NOT READY, medium not present - tray
    // open); 0 for anything else, also for drives that do not tell an open tray apart.
    virtual int TrayOpen();
    // Ends audio play (START STOP UNIT, stop).
    virtual int Stop();
    // Plays frames startLba ≤ f < endLba.
    virtual int PlayAudio(std::uint32_t startLba, std::uint32_t endLba);
    virtual int ReadAudio(AudioReadRequest& request);
    // READ TOC format 0 into an 804-byte buffer (zeroed first); addressForm 1 = MSF.
    virtual int ReadTOC(std::uint8_t* buffer, int addressForm);
    // One CDB to the current drive: data to the device from `out` when both out and
    // outLength are given, else from the device into `in`.
    virtual int ExecCommand(const std::uint8_t* cdb, int cdbLength, std::uint8_t* out,
                            std::uint32_t outLength, std::uint8_t* in, std::uint32_t inLength);
    // Finds the drives and selects `requestedDrive` (0 when out of range); 1 when a drive
    // can be used.
    virtual int Init(int requestedDrive);
    // TEST UNIT READY until the drive is ready or has no disc, or `deadlineMs` have passed.
    // `waiting` is called once when the drive says it is becoming ready (a disc just put
    // in). UNIT ATTENTION (a disc change) is no failure: the question is asked again.
    virtual DriveReadiness WaitUntilReady(unsigned deadlineMs,
                                          const std::function<void()>& waiting);
    // SET CD SPEED with the read speed in kB/s (0xFFFF: the drive's fastest).
    virtual int SetReadSpeed(std::uint16_t kbPerSecond);
    // Makes the next read of frames lba … lba + count - 1 come from the disc, not from the
    // drive's cache, and says how.
    virtual CacheDefeat DefeatCache(std::uint32_t lba, std::uint32_t count);
    // READ CD of audio frames with their C2 error pointers: the frames go to the request's
    // buffer as ReadAudio puts them, and `c2Flags` (one byte a frame) gets 1 where the
    // drive flagged any byte of the frame, else 0.
    virtual int ReadAudioC2(AudioReadRequest& request, std::uint8_t* c2Flags);
    // MODE SENSE page 2Ah of the current drive.
    virtual int ReadCapabilities(DriveCapabilities& capabilities);
    // Why the last failed operation failed, in words (sense key and additional sense,
    // time-out, system error), for job logs. Empty after a success and on transports
    // that keep no such words.
    virtual std::string LastErrorText() const { return {}; }

    // Sense data (14 bytes used) of the last command that ended in CHECK CONDITION.
    std::array<std::uint8_t, 16> lastSense{};
    int driveCount = 0;
    std::array<SCSIDriveInfo, kMaxDrives> drives{};
    int currentDrive = 0;
};

}  // namespace korvida
