#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/cdrom/BuildTocReply.h"
#include "core/cdrom/DiscImage.h"
#include "core/cdrom/FrameCache.h"
#include "core/cdrom/SCSIDriveInfo.h"
#include "core/cdrom/ScsiTarget.h"
#include "core/platform/PcmOutput.h"

namespace korvida {

// Faults a virtual drive can be told to show, so that retries, skipping and time-outs
// are exercised on the real code path.
struct VirtualDriveFaults {
    struct Range {
        std::uint32_t first = 0;  // LBA
        std::uint32_t count = 0;
    };
    // Frames that always fail with MEDIUM ERROR (unrecovered read error). A read that
    // reaches one transfers the frames before it and reports the bad LBA in the sense
    // information field.
    std::vector<Range> unreadable;
    // The next this many audio/data read commands fail with MEDIUM ERROR; the ones after
    // succeed: a scratch that a retry gets past.
    int transientReadFailures = 0;
    // Audio frames whose bytes come back altered without an error, as a drive misreading
    // a scratch returns them: each read that reaches the range alters it differently.
    // `reads` is how many reads are altered (a fault that a re-read gets past), after which
    // the frames read right; kAlways alters every read.
    struct Altered {
        static constexpr int kAlways = -1;
        std::uint32_t first = 0;  // LBA as the read asks for it
        std::uint32_t count = 0;
        int reads = kAlways;
        bool c2Flagged = true;  // a drive with C2 pointers flags the altered frames
    };
    std::vector<Altered> altered;
    // Opcodes answered with ILLEGAL REQUEST / invalid command operation code, as a drive
    // without that read command does.
    std::set<std::uint8_t> rejectedOpcodes;
    // CD-Text packs (by their place in the READ TOC format 5 reply, from 0) sent with a
    // damaged text byte and their CRC as it was: a disc with a scratch in the lead-in.
    std::set<std::size_t> damagedCdTextPacks;
    // Time a command takes, by opcode, in milliseconds. Longer than the request's time-out
    // ends it as timed out after the time-out; kNeverAnswers is a drive that hangs.
    std::map<std::uint8_t, unsigned> delayMs;
    // False: delays are only added to WaitedMs(), not slept, so time-out tests run fast.
    bool sleepForDelays = true;
    // After a disc is put in (ChangeDisc) the drive answers NOT READY, becoming ready,
    // for this many milliseconds of its clock.
    unsigned becomingReadyMs = 0;
    // Frames the drive's read cache holds (0: no cache). A repeated audio read of frames
    // all held gets the cached bytes back, a misread included, until a READ (10) with FUA
    // drops them or reads elsewhere push them out.
    std::uint32_t cacheFrames = 0;
    // READ (10) with FUA refused (ILLEGAL REQUEST, invalid field in CDB).
    bool rejectsFua = false;
    // Frames whose Q sub-channel comes back damaged: READ CD's formatted Q with a CRC
    // that does not match, READ SUB-CHANNEL with no position (ADR 0) after a seek there.
    std::set<std::uint32_t> damagedQ;
    // C2 error pointers: page 2Ah says so and READ CD with the error field answers them
    // (2646 or 2648 bytes a frame); without, such a READ CD is refused.
    bool c2Pointers = false;
    // A drive that claims C2 pointers and never sets one.
    bool c2FlagsNothing = false;
    // Varies the altered bytes, so that each seed gives its own damaged disc.
    std::uint32_t seed = 0;
};

// A SCSI target in user space that answers like an MMC drive from a CD image: INQUIRY,
// TEST UNIT READY, READ TOC (formats 0 and 1, LBA and MSF; format 5, the packs of the
// sheet's CDTEXTFILE or else the CD-Text its TITLE, PERFORMER and SONGWRITER lines give),
// READ CD (with the formatted Q sub-channel the sheet's INDEX lines and FLAGS give, and
// C2 error pointers when faults() give it them), READ (10) and the vendor reads 0xD4
// and 0xD8 of 2352-byte frames, SEEK (10), MODE SENSE (10) of page 2Ah, PLAY AUDIO
// (12), PAUSE/RESUME,
// READ SUB-CHANNEL (formats 1-3; the catalogue number and ISRCs from the sheet's CATALOG
// and ISRC lines), START STOP UNIT (stop, eject, load) and SET CD SPEED. After a disc
// change it reports UNIT ATTENTION (medium may have changed) once, then NOT READY while
// it becomes ready, as drives do; without a disc, NOT READY (medium not present). With an audio
// device set, PLAY AUDIO plays the image's frames through it and the position is what
// has been heard; without one (or when the device does not open) the position advances
// 75 frames a second by the clock. Anything else, a CDB of the wrong length, a
// wrong data direction or a buffer smaller than the transfer gets CHECK CONDITION with
// ILLEGAL REQUEST sense and nothing written. Commands are serialised by a lock.
class VirtualDrive : public ScsiTarget {
  public:
    static constexpr unsigned kNeverAnswers = ~0u;

    // clockMs: a monotonic millisecond clock for the play position (tests pass their own).
    explicit VirtualDrive(DiscImage image, std::function<std::uint64_t()> clockMs = {});

    // Loads a CUE sheet; nullptr with errorText naming the file and line on failure.
    // The drive has no audio device until one is set.
    static std::unique_ptr<VirtualDrive> Open(const std::string& cuePath, std::string& errorText);

    ScsiReply Execute(const ScsiRequest& request) override;

    const DiscImage& image() const { return image_; }
    // Vendor "KORVIDA ", product "VIRTUAL CD-ROM  ", revision "1.0 "; lun is what the
    // drive table shows and the CDBs carry (the drive itself ignores LUN bits).
    SCSIDriveInfo& identity() { return identity_; }

    // Set before commands are sent; the lock does not cover changes during a command.
    VirtualDriveFaults& faults() { return faults_; }

    // Simulates a drive with this read offset in samples: an audio read of sample s
    // answers with the image's sample s - offset, and zeros where that lies outside the
    // image. Ripping with the same figure as the read offset gives the image's bytes.
    void SetReadOffset(int samples);

    // Every CDB received, in order, when recording is on (off by default: a rip sends
    // thousands).
    void SetRecording(bool on);
    std::vector<std::vector<std::uint8_t>> RecordedCommands() const;
    std::size_t CommandCount() const;
    // Milliseconds spent in injected delays, slept or not.
    std::uint64_t WaitedMs() const;

    bool TrayOpen() const;

    // A disc change: `image` is put in, or with nullopt the disc is taken out and the
    // tray left closed and empty. Either is reported once by UNIT ATTENTION (to any
    // command but INQUIRY); a new disc is then becoming ready for faults().becomingReadyMs.
    void ChangeDisc(std::optional<DiscImage> image);

    // The ALSA device PLAY AUDIO sounds through ("" = none). Takes effect at the next
    // PLAY AUDIO.
    void SetAudioDevice(std::string device);

  private:
    // kError: the sound stopped because a frame could not be read or the device failed.
    enum class Play { kNone, kPlaying, kPaused, kCompleted, kError };

    ScsiReply Dispatch(const ScsiRequest& request);
    ScsiReply Inquiry(const ScsiRequest& request);
    ScsiReply ReadToc(const ScsiRequest& request);
    ScsiReply Read(const ScsiRequest& request);
    ScsiReply PlayAudio(const ScsiRequest& request);
    ScsiReply PauseResume(const ScsiRequest& request);
    ScsiReply ReadSubChannel(const ScsiRequest& request);
    ScsiReply StartStop(const ScsiRequest& request);
    // READ CD with the formatted Q sub-channel (selection 010b) after each frame's data.
    ScsiReply ReadWithSubchannel(const ScsiRequest& request);
    // SEEK (10): the head goes to the frame, and READ SUB-CHANNEL reports it.
    ScsiReply Seek(const ScsiRequest& request);
    ScsiReply ModeSense(const ScsiRequest& request);
    // READ CD of audio frames with the C2 error field set.
    ScsiReply ReadWithC2(const ScsiRequest& request, std::uint32_t lba, std::uint32_t count);
    // The altered faults applied to frames lba … lba + count - 1 as read; `c2` (one byte a
    // frame, or null) gets 1 where an altered frame is flagged.
    void AlterFrames(std::uint32_t lba, std::uint32_t count, std::uint8_t* out, std::uint8_t* c2);
    // NOT READY or UNIT ATTENTION when the medium state keeps a command from running;
    // nullopt when the command may go on.
    std::optional<ScsiReply> MediumState(std::uint8_t op);
    std::uint32_t Position();
    // Audio frames as this drive answers them: shifted by the read offset, then altered
    // by the faults.
    bool ReadAudioFrames(std::uint32_t lba, std::uint32_t count, std::uint8_t* out,
                         std::uint8_t* c2 = nullptr);
    // How many frames from `lba` on read before the first unreadable one; none when a
    // transient failure is due (it is used up).
    std::uint32_t ReadableFrames(std::uint32_t lba, std::uint32_t count);

    DiscImage image_;
    std::vector<std::uint8_t> cdText_;  // the packs, built once from the sheet
    std::function<std::uint64_t()> clockMs_;
    SCSIDriveInfo identity_;
    VirtualDriveFaults faults_;

    mutable std::mutex mutex_;
    bool recording_ = false;
    std::vector<std::vector<std::uint8_t>> recorded_;
    std::size_t commandCount_ = 0;
    std::uint64_t waitedMs_ = 0;
    int readOffset_ = 0;
    std::uint32_t alteredReads_ = 0;  // makes each altered read differ from the others

    bool trayOpen_ = false;
    bool hasDisc_ = true;
    bool attention_ = false;       // a disc change not reported yet
    std::uint64_t readyAtMs_ = 0;  // by clockMs_
    FrameCache cache_;
    Play play_ = Play::kNone;
    std::uint32_t playEnd_ = 0;   // first frame not played
    std::uint32_t position_ = 0;  // frame at playStartedMs_ (or where play stopped)
    std::uint64_t playStartedMs_ = 0;
    std::string audioDevice_;
    // The sound of the current play, when a device opened. Reads image_ from its own
    // thread without mutex_ (image reads are thread-safe), so it can be destroyed, and
    // its thread joined, under mutex_. Declared after image_: it dies first.
    std::unique_ptr<PcmOutput> sound_;
};

}  // namespace korvida
