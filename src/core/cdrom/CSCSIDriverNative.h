#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Cdb.h"
#include "core/cdrom/SgIo.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/platform/PcmOutput.h"
#include "core/platform/UniqueFd.h"

namespace korvida {

struct Settings;

// What the driver takes from the settings, by value: the drive is used from worker
// threads and must never read the live settings, which the options sheet may be changing.
struct DriverOptions {
    int retryTimes = 5;  // RetryTimes: attempts per command; 0 or less means 5
    int deviceType = 0;  // DeviceType: which read command audio reads use
    // DigitalPlayback: a real drive plays by reading its frames and sending them to
    // audioDevice (the ALSA device; "" = none).
    bool digitalPlayback = false;
    std::string audioDevice;
};
DriverOptions DriverOptionsFrom(const Settings& settings);

// Where the drives come from besides the kernel.
struct DriveSources {
    // CUE sheets that become virtual drives after the real drives, in this order. A sheet
    // that does not load gives no drive; its error is in ImageErrors().
    std::vector<std::string> images;
    // Virtual drives made by the caller (tests keep a handle to inject faults); they come
    // after the images.
    std::vector<std::shared_ptr<VirtualDrive>> virtualDrives;
    // When set, the first Init selects the drive of this image (one of `images`) whatever
    // index it was asked for: `--image FILE` makes the image the current drive once; a
    // later Init (a drive change) takes the index it is given.
    std::string selectImage;
    // False: no /dev/sr* scan (tests, and machines where only images are wanted).
    bool scanRealDrives = true;
    SgIoSystem system = SgIoSystem::Linux();
    // The clock and the pause of the wait for a drive getting ready, in milliseconds
    // (tests pass a simulated pair; empty: the steady clock and a real sleep).
    std::function<std::uint64_t()> clockMs;
    std::function<void(unsigned)> sleepMs;
};

// The transport over the kernel's SCSI pass-through (SG_IO on /dev/sr*), with the
// virtual drives in the same table after the real ones. Every operation makes up to
// RetryTimes attempts, one after the other without delay. An attempt succeeds only with
// SCSI status GOOD, no host or driver error and, for audio reads, the whole transfer: a
// drive's CHECK CONDITION on a bad sector must never pass as audio.
//
// With digital playback on, PlayAudio on a real drive starts a thread that reads the
// range with the audio read command and plays it through the sound card; Pause, Stop and
// GetPosition then act on that play and send nothing to the drive, so callers cannot
// tell the two apart. Commands are serialised, so the thread's reads may interleave
// with the caller's commands. When no sound device opens the drive plays by itself.
// The images' virtual drives always play through the audio device themselves.
class CSCSIDriverNative : public CSCSIDriver {
  public:
    explicit CSCSIDriverNative(DriverOptions options, DriveSources sources = {});
    ~CSCSIDriverNative() override = default;

    int Pause(int pause) override;
    int GetPosition(std::int32_t* relative, std::int32_t* absolute,
                    std::uint32_t* audioStatus) override;
    int ReadSubChannel(std::uint8_t format, std::uint8_t* buffer, std::uint32_t length,
                       std::uint8_t track) override;
    int Eject() override;
    int CloseTray() override;
    int TrayOpen() override;
    int Stop() override;
    int PlayAudio(std::uint32_t startLba, std::uint32_t endLba) override;
    int ReadAudio(AudioReadRequest& request) override;
    int ReadTOC(std::uint8_t* buffer, int addressForm) override;
    int ExecCommand(const std::uint8_t* cdb, int cdbLength, std::uint8_t* out,
                    std::uint32_t outLength, std::uint8_t* in, std::uint32_t inLength) override;
    int Init(int requestedDrive) override;
    DriveReadiness WaitUntilReady(unsigned deadlineMs,
                                  const std::function<void()>& waiting) override;
    int SetReadSpeed(std::uint16_t kbPerSecond) override;
    CacheDefeat DefeatCache(std::uint32_t lba, std::uint32_t count) override;
    int ReadAudioC2(AudioReadRequest& request, std::uint8_t* c2Flags) override;
    int ReadCapabilities(DriveCapabilities& capabilities) override;

    int RetryTimes() const { return retryTimes_; }
    // A new DeviceType from the options sheet; the next audio read uses it, also in a job
    // that is running.
    void SetDeviceType(int deviceType) { deviceType_.store(deviceType); }
    int DeviceType() const { return deviceType_.load(); }
    // A new DigitalPlayback from the options sheet; the next PlayAudio uses it.
    void SetDigitalPlayback(bool on) { digitalPlayback_.store(on); }
    // The virtual drive at a drive-table index, or nullptr for a real drive.
    VirtualDrive* VirtualDriveAt(int driveIndex) const;
    // One "<cue>:<line>: <what>" text per image that gave no drive at the first Init, and
    // one per thing an image that loaded goes without (DiscImage::notes).
    const std::vector<std::string>& ImageErrors() const { return imageErrors_; }
    // Makes a CD image the current drive (File menu, a dropped sheet): the image's drive
    // when it is in the table already (read again), else a new drive after the others, or,
    // when the table is full, the place of the image used longest ago that is not the
    // current drive. 0 with *errorText when the sheet does not load or there is no place;
    // the table and the current drive are then as they were.
    int OpenImage(const std::string& cuePath, std::string* errorText);
    // The CUE sheets of the image drives in the table, in table order.
    std::vector<std::string> ImagePaths() const;
    std::string LastErrorText() const override { return lastError_; }
    // Set by an Init or OpenImage: the message that tells the user why the drive asked
    // for cannot be used (a device that does not open); "" when it can.
    const std::string& SelectionProblem() const { return selectionProblem_; }

  private:
    // Up to RetryTimes attempts of one command on the current drive; 1 on the first
    // success. fullTransfer: fewer bytes than dataLength count as a failed attempt.
    int Run(const Cdb& cdb, DataDirection direction, std::uint8_t* data, std::size_t dataLength,
            bool fullTransfer, bool rereadsDefeatCache = false) {
        return Run(cdb.data(), cdb.length, direction, data, dataLength, fullTransfer,
                   rereadsDefeatCache);
    }
    int Run(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction,
            std::uint8_t* data, std::size_t dataLength, bool fullTransfer,
            bool rereadsDefeatCache = false);
    // The attempts of Run without touching lastSense or lastError_: "" on success, else
    // why the last attempt failed; *sense gets the sense data of a CHECK CONDITION. A
    // UNIT ATTENTION is asked again once without counting as an attempt. With
    // rereadsDefeatCache (audio reads) the cache is defeated before each new attempt
    // after a MEDIUM ERROR, so the retry reads the disc.
    std::string Attempt(const ScsiRequest& request, bool fullTransfer,
                        std::array<std::uint8_t, 16>* sense, bool rereadsDefeatCache = false);
    ScsiReply SendOnce(const ScsiRequest& request);
    int PlayDigitally(std::uint32_t startLba, std::uint32_t endLba);
    std::uint32_t CurrentLun() const;
    void LoadImages();
    // The drive-table entry of virtual drive k, from its INQUIRY answer.
    void DescribeVirtualDrive(std::size_t k);

    int retryTimes_;
    std::atomic<int> deviceType_;
    DriveSources sources_;
    std::vector<std::string> paths_;  // at most 8
    UniqueFd handle_;                 // the open real drive, if the current one is real
    int openPath_ = -1;
    std::vector<std::shared_ptr<VirtualDrive>> virtual_;
    std::vector<std::string> virtualSources_;  // cue path per entry of virtual_ ("" if given)
    std::vector<std::uint64_t> lastUsed_;      // per entry of virtual_: when it was selected
    std::uint64_t uses_ = 0;
    bool imagesLoaded_ = false;
    std::vector<std::string> imageErrors_;
    std::string lastError_;
    std::string selectionProblem_;
    // The current drive's answer to a FUA read: not asked yet, accepted or refused.
    enum class Fua { kUnknown, kHonoured, kRefused } fua_ = Fua::kUnknown;
    std::vector<std::uint8_t> c2Reply_;  // frames with their C2 pointers, as the drive sent them

    std::atomic<bool> digitalPlayback_;
    const std::string audioDevice_;
    std::mutex sendMutex_;  // one command at a time, from the caller or the play thread
    std::vector<std::uint32_t> trackStarts_;  // of the disc being played digitally
    std::uint32_t playStart_ = 0;
    // The digital play; its thread sends commands, so it ends before anything above.
    std::unique_ptr<PcmOutput> sound_;
};

}  // namespace korvida
