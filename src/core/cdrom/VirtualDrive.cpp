#include "core/cdrom/VirtualDrive.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/cdrom/BuildCdTextPacks.h"
#include "core/cdrom/BuildTocReply.h"
#include "core/cdrom/CdTextPack.h"
#include "core/cdrom/Cdb.h"
#include "core/cdrom/LoadCueImage.h"
#include "core/cdrom/SenseReply.h"
#include "core/platform/ByteOrder.h"

namespace korvida {

namespace {

// Host status of a command the target never finished (as the kernel's DID_TIME_OUT).
constexpr std::uint16_t kHostTimedOut = 0x03;

// Additional sense codes used below.
constexpr std::uint8_t kAscInvalidOpcode = 0x20;
constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
constexpr std::uint8_t kAscSequenceError = 0x2C;
constexpr std::uint8_t kAscMediumNotPresent = 0x3A;
constexpr std::uint8_t kAscUnrecoveredRead = 0x11;
constexpr std::uint8_t kAscIllegalModeForTrack = 0x64;

std::uint64_t SteadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

ScsiReply Good(std::size_t transferred = 0) {
    return GoodReply(transferred);
}

ScsiReply Check(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq = 0,
                const std::uint32_t* information = nullptr, std::size_t transferred = 0) {
    return SenseReply(key, asc, ascq, information, transferred);
}

ScsiReply Illegal(std::uint8_t asc = kAscInvalidFieldInCdb) {
    return Check(kSenseIllegalRequest, asc);
}
ScsiReply TrayOpenReply() {
    return Check(kSenseNotReady, kAscMediumNotPresent, 0x02);
}

// The CDB length an opcode's group defines; 0 for groups this drive does not know.
std::size_t CdbLengthOf(std::uint8_t op) {
    if (op == opcode::kVendorReadCdda)
        return 10;
    if (op == opcode::kVendorReadCdda12)
        return 12;
    switch (op >> 5) {
        case 0:
            return 6;
        case 1:
        case 2:
            return 10;
        case 5:
            return 12;
        default:
            return 0;
    }
}

bool WantsData(const ScsiRequest& request) {
    return request.direction == DataDirection::kFromDevice && request.data != nullptr;
}

// An allocation-length reply: copies min(allocation, reply) bytes, refusing a buffer that
// is smaller than what the CDB allows the drive to send.
ScsiReply SendReply(const ScsiRequest& request, const std::vector<std::uint8_t>& reply,
                    std::size_t allocation) {
    if (allocation == 0)
        return Good();
    if (!WantsData(request) || request.dataLength < allocation)
        return Illegal();
    std::size_t count = std::min(allocation, reply.size());
    std::memcpy(request.data, reply.data(), count);
    return Good(count);
}

// The frames a read command asks for: READ CD counts in 24 bits, the 12-byte vendor read
// in 32, the others in 16.
std::uint32_t ReadFrameCount(const std::uint8_t* cdb) {
    if (cdb[0] == opcode::kReadCd)
        return (std::uint32_t{cdb[6]} << 16) | Be16(&cdb[7]);
    if (cdb[0] == opcode::kVendorReadCdda12)
        return Be32(&cdb[6]);
    return Be16(&cdb[7]);
}

// What a read returns: the size of each frame's reply and their sum.
struct ReadLayout {
    std::vector<std::uint32_t> sizes;
    std::size_t total = 0;
    bool anyData = false;  // the range crosses a data track
};

// Lays out a read of `count` frames from `lba` track by track, before anything is
// written: a data track gives whole frames or, when byte 9 selects the user data alone,
// its 2048 bytes; READ CD's expected sector type must fit every track. The refusal when
// it does not.
std::optional<ScsiReply> LayOutRead(const DiscImage& image, std::uint32_t lba, std::uint32_t count,
                                    std::uint8_t fields, std::uint8_t expectedType,
                                    ReadLayout& layout) {
    layout.sizes.reserve(count);
    for (std::uint32_t i = 0; i < count;) {
        const ImageTrack* track = image.TrackAt(lba + i);
        const ImageTrack* next = track + 1;
        std::uint32_t spanEnd = next < image.tracks.data() + image.tracks.size()
                                    ? (next->hasIndex0 ? next->indexLbas.front() : next->startLba)
                                    : image.leadout;
        std::uint32_t span = std::min(count - i, spanEnd - (lba + i));
        std::uint32_t size = kRawSectorSize;
        if (track->IsData()) {
            layout.anyData = true;
            if (expectedType == 1)
                return Illegal(kAscIllegalModeForTrack);
            if ((fields & 0xF8) == 0x10) {
                size = kMode1UserSize;
            } else if ((fields & 0xF8) != 0xF8) {
                return Illegal();
            }
        } else if (expectedType >= 2) {
            return Illegal(kAscIllegalModeForTrack);
        }
        layout.sizes.insert(layout.sizes.end(), span, size);
        layout.total += std::size_t{span} * size;
        i += span;
    }
    return std::nullopt;
}

// The first `good` frames of a read that crosses a data track, frame by frame at their
// laid-out sizes; `written` counts the bytes. The error reply when a frame cannot be read.
std::optional<ScsiReply> ReadMixedFrames(const DiscImage& image, std::uint32_t lba,
                                         std::uint32_t good,
                                         const std::vector<std::uint32_t>& sizes, std::uint8_t* out,
                                         std::size_t& written) {
    std::vector<std::uint8_t> frame(kRawSectorSize);
    for (std::uint32_t i = 0; i < good; ++i) {
        std::uint32_t at = lba + i;
        if (!image.ReadFrames(at, 1, frame.data())) {
            return Check(kSenseMediumError, kAscUnrecoveredRead, 0, &at, written);
        }
        if (sizes[i] == kMode1UserSize) {
            std::memcpy(out + written, frame.data() + kMode1UserOffset, kMode1UserSize);
        } else {
            std::memcpy(out + written, frame.data(), kRawSectorSize);
        }
        written += sizes[i];
    }
    return std::nullopt;
}

// The current-position data of READ SUB-CHANNEL (bytes 5 to 15 of format 1): control,
// track, index, and the absolute and track-relative addresses of `position`.
void PutCurrentPosition(const DiscImage& image, std::uint32_t position, bool msf,
                        std::uint8_t* reply) {
    const ImageTrack* track = image.TrackAt(std::min(position, image.leadout - 1));
    reply[5] = static_cast<std::uint8_t>(0x10 | track->control);
    reply[6] = static_cast<std::uint8_t>(track->number);
    std::uint8_t index = 0;
    std::size_t firstNumber = track->hasIndex0 ? 0 : 1;
    for (std::size_t i = 0; i < track->indexLbas.size(); ++i) {
        if (track->indexLbas[i] <= position)
            index = static_cast<std::uint8_t>(i + firstNumber);
    }
    reply[7] = index;
    PutTocAddress(&reply[8], position, msf);
    // Relative to INDEX 01; negative (counting down) inside the pregap.
    std::int32_t relative =
        static_cast<std::int32_t>(position) - static_cast<std::int32_t>(track->startLba);
    if (msf) {
        std::uint32_t magnitude = static_cast<std::uint32_t>(relative < 0 ? -relative : relative);
        reply[12] = 0;
        reply[13] = static_cast<std::uint8_t>(magnitude / (60 * 75));
        reply[14] = static_cast<std::uint8_t>(magnitude / 75 % 60);
        reply[15] = static_cast<std::uint8_t>(magnitude % 75);
    } else {
        PutBe32(&reply[12], static_cast<std::uint32_t>(relative));
    }
}

}  // namespace

VirtualDrive::VirtualDrive(DiscImage image, std::function<std::uint64_t()> clockMs)
    : image_(std::move(image)),
      cdText_(BuildCdTextPacks(image_)),
      clockMs_(clockMs ? std::move(clockMs) : SteadyMs) {
    std::memcpy(identity_.vendor, "KORVIDA ", 8);
    std::memcpy(identity_.product, "VIRTUAL CD-ROM  ", 16);
    std::memcpy(identity_.revision, "1.0 ", 4);
}

std::unique_ptr<VirtualDrive> VirtualDrive::Open(const std::string& cuePath,
                                                 std::string& errorText) {
    DiscImage image;
    if (!LoadCueImage(cuePath, image, errorText))
        return nullptr;
    return std::make_unique<VirtualDrive>(std::move(image));
}

void VirtualDrive::SetRecording(bool on) {
    std::lock_guard lock(mutex_);
    recording_ = on;
}

std::vector<std::vector<std::uint8_t>> VirtualDrive::RecordedCommands() const {
    std::lock_guard lock(mutex_);
    return recorded_;
}

std::size_t VirtualDrive::CommandCount() const {
    std::lock_guard lock(mutex_);
    return commandCount_;
}

std::uint64_t VirtualDrive::WaitedMs() const {
    std::lock_guard lock(mutex_);
    return waitedMs_;
}

void VirtualDrive::SetReadOffset(int samples) {
    std::lock_guard lock(mutex_);
    readOffset_ = samples;
}

bool VirtualDrive::TrayOpen() const {
    std::lock_guard lock(mutex_);
    return trayOpen_;
}

void VirtualDrive::SetAudioDevice(std::string device) {
    std::lock_guard lock(mutex_);
    audioDevice_ = std::move(device);
}

ScsiReply VirtualDrive::Execute(const ScsiRequest& request) {
    std::lock_guard lock(mutex_);
    ++commandCount_;
    if (request.cdb == nullptr || request.cdbLength == 0)
        return Illegal(kAscInvalidOpcode);
    if (recording_)
        recorded_.emplace_back(request.cdb, request.cdb + request.cdbLength);

    const std::uint8_t op = request.cdb[0];
    if (auto delay = faults_.delayMs.find(op); delay != faults_.delayMs.end()) {
        bool timesOut = delay->second > request.timeoutMs;
        unsigned wait = timesOut ? request.timeoutMs : delay->second;
        waitedMs_ += wait;
        if (faults_.sleepForDelays)
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        if (timesOut) {
            ScsiReply reply;
            reply.delivered = true;
            reply.timedOut = true;
            reply.hostStatus = kHostTimedOut;
            return reply;
        }
    }
    if (faults_.rejectedOpcodes.count(op))
        return Illegal(kAscInvalidOpcode);
    std::size_t expected = CdbLengthOf(op);
    if (expected == 0)
        return Illegal(kAscInvalidOpcode);
    if (request.cdbLength != expected)
        return Illegal();
    if (request.direction == DataDirection::kToDevice)
        return Illegal();
    if (std::optional<ScsiReply> refused = MediumState(op))
        return *refused;
    return Dispatch(request);
}

ScsiReply VirtualDrive::Dispatch(const ScsiRequest& request) {
    switch (request.cdb[0]) {
        case opcode::kTestUnitReady:
            return trayOpen_ ? TrayOpenReply() : Good();
        case opcode::kInquiry:
            return Inquiry(request);
        case opcode::kReadToc:
            return ReadToc(request);
        case opcode::kReadCd:
        case opcode::kRead10:
        case opcode::kVendorReadCdda:
        case opcode::kVendorReadCdda12:
            return Read(request);
        case opcode::kPlayAudio12:
            return PlayAudio(request);
        case opcode::kPauseResume:
            return PauseResume(request);
        case opcode::kReadSubChannel:
            return ReadSubChannel(request);
        case opcode::kStartStopUnit:
            return StartStop(request);
        case opcode::kSetCdSpeed:
            return Good();  // an image reads at one speed
        case opcode::kSeek10:
            return Seek(request);
        case opcode::kModeSense10:
            return ModeSense(request);
        default:
            return Illegal(kAscInvalidOpcode);
    }
}

ScsiReply VirtualDrive::Inquiry(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    if (cdb[1] & 0x01)
        return Illegal();  // vital product data pages are not offered
    std::vector<std::uint8_t> data(96, 0);
    data[0] = 0x05;  // peripheral device type: CD/DVD
    data[1] = 0x80;  // removable medium
    data[2] = 0x05;  // SPC-3
    data[3] = 0x02;  // response data format
    data[4] = static_cast<std::uint8_t>(data.size() - 5);
    std::memcpy(&data[8], identity_.vendor, 8);
    std::memcpy(&data[16], identity_.product, 16);
    std::memcpy(&data[32], identity_.revision, 4);
    return SendReply(request, data, Be16(&cdb[3]));
}

ScsiReply VirtualDrive::ReadToc(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    if (trayOpen_)
        return TrayOpenReply();
    bool msf = cdb[1] & 0x02;
    std::uint8_t format = cdb[2] & 0x0F;
    std::vector<std::uint8_t> reply;
    if (format == 0) {
        reply = BuildTocReply(image_, msf, cdb[6]);
        if (reply.empty())
            return Illegal();
    } else if (format == 1) {
        // Session information: the first and last session numbers and the first track of
        // the last session (the data track of an enhanced CD).
        reply.assign(12, 0);
        PutBe16(&reply[0], 10);
        const int lastSession = image_.tracks.back().session;
        reply[2] = 1;
        reply[3] = static_cast<std::uint8_t>(lastSession);
        const ImageTrack& first =
            *std::find_if(image_.tracks.begin(), image_.tracks.end(),
                          [&](const ImageTrack& track) { return track.session == lastSession; });
        reply[5] = static_cast<std::uint8_t>(0x10 | first.control);
        reply[6] = static_cast<std::uint8_t>(first.number);
        PutTocAddress(&reply[8], first.startLba, msf);
    } else if (format == 5) {
        // A disc without CD-Text gives the header alone.
        reply.assign(4, 0);
        reply.insert(reply.end(), cdText_.begin(), cdText_.end());
        for (std::size_t pack : faults_.damagedCdTextPacks) {
            const std::size_t at = 4 + pack * kCdTextPackSize + kCdTextPayloadOffset;
            if (at < reply.size())
                reply[at] ^= 0x20;
        }
        PutBe16(&reply[0], static_cast<std::uint32_t>(reply.size() - 2));
    } else {
        return Illegal();
    }
    return SendReply(request, reply, Be16(&cdb[7]));
}

ScsiReply VirtualDrive::Read(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    const std::uint8_t op = cdb[0];
    std::uint32_t lba = Be32(&cdb[2]);
    const std::uint32_t count = ReadFrameCount(cdb);
    if (trayOpen_)
        return TrayOpenReply();
    if (op == opcode::kRead10 && (cdb[1] & 0x08)) {
        if (faults_.rejectsFua)
            return Illegal();
        cache_.Clear();
    }
    if (lba >= image_.leadout || count > image_.leadout - lba) {
        return Check(kSenseIllegalRequest, kAscLbaOutOfRange);
    }

    // READ CD returns the fields byte 9 selects; the other reads return whole frames.
    std::uint8_t fields = op == opcode::kReadCd ? cdb[9] : 0xF8;
    std::uint8_t expectedType = op == opcode::kReadCd ? (cdb[1] >> 2) & 0x7 : 0;
    if (op == opcode::kReadCd && (cdb[10] & 0x7) == 2)
        return ReadWithSubchannel(request);
    if (op == opcode::kReadCd && (cdb[10] & 0x7) != 0)
        return Illegal();  // raw P-W and R-W sub-channel data are not offered
    if (count == 0 || fields == 0)
        return Good();
    if (op == opcode::kReadCd && (fields & 0x06) != 0)
        return ReadWithC2(request, lba, count);

    ReadLayout layout;
    if (std::optional<ScsiReply> refused =
            LayOutRead(image_, lba, count, fields, expectedType, layout))
        return *refused;
    if (!WantsData(request) || request.dataLength < layout.total)
        return Illegal();

    const std::uint32_t good = ReadableFrames(lba, count);
    std::size_t written = 0;
    if (!layout.anyData) {
        const bool cached =
            good > 0 && faults_.cacheFrames > 0 && cache_.Lookup(lba, good, request.data);
        if (good > 0 && !cached) {
            if (!ReadAudioFrames(lba, good, request.data))
                return Check(kSenseMediumError, kAscUnrecoveredRead, 0, &lba);
            cache_.Store(lba, good, request.data, faults_.cacheFrames);
        }
        written = std::size_t{good} * kRawSectorSize;
    } else if (std::optional<ScsiReply> failed =
                   ReadMixedFrames(image_, lba, good, layout.sizes, request.data, written)) {
        return *failed;
    }
    if (good < count) {
        std::uint32_t badLba = lba + good;
        return Check(kSenseMediumError, kAscUnrecoveredRead, 0, &badLba, written);
    }
    return Good(written);
}

std::uint32_t VirtualDrive::ReadableFrames(std::uint32_t lba, std::uint32_t count) {
    std::uint32_t good = count;
    for (const VirtualDriveFaults::Range& bad : faults_.unreadable) {
        if (bad.count == 0)
            continue;
        if (bad.first < lba + good && bad.first + bad.count > lba) {
            good = std::min(good, bad.first > lba ? bad.first - lba : 0);
        }
    }
    if (faults_.transientReadFailures > 0) {
        --faults_.transientReadFailures;
        good = 0;
    }
    return good;
}

bool VirtualDrive::ReadAudioFrames(std::uint32_t lba, std::uint32_t count, std::uint8_t* out,
                                   std::uint8_t* c2) {
    constexpr std::int64_t kFrame = kRawSectorSize;
    const std::int64_t length = std::int64_t{count} * kFrame;
    if (readOffset_ == 0) {
        if (!image_.ReadFrames(lba, count, out))
            return false;
    } else {
        const std::int64_t first = std::int64_t{lba} * kFrame - std::int64_t{readOffset_} * 4;
        const std::int64_t lo = std::max<std::int64_t>(first, 0);
        const std::int64_t hi = std::min(first + length, std::int64_t{image_.leadout} * kFrame);
        std::memset(out, 0, static_cast<std::size_t>(length));
        if (lo < hi) {
            const std::int64_t from = lo / kFrame;
            const std::int64_t to = (hi + kFrame - 1) / kFrame;
            std::vector<std::uint8_t> frames(static_cast<std::size_t>((to - from) * kFrame));
            if (!image_.ReadFrames(static_cast<std::uint32_t>(from),
                                   static_cast<std::uint32_t>(to - from), frames.data()))
                return false;
            std::memcpy(out + (lo - first), frames.data() + (lo - from * kFrame),
                        static_cast<std::size_t>(hi - lo));
        }
    }
    AlterFrames(lba, count, out, c2);
    return true;
}

std::uint32_t VirtualDrive::Position() {
    if (sound_ && (play_ == Play::kPlaying || play_ == Play::kPaused)) {
        PcmPlayStatus heard = sound_->Status();
        position_ = heard.position;
        if (heard.state == PcmPlayState::kCompleted) {
            play_ = Play::kCompleted;
        } else if (heard.state == PcmPlayState::kFailed) {
            play_ = Play::kError;
        }
        if (play_ != Play::kPlaying && play_ != Play::kPaused)
            sound_.reset();
        return position_;
    }
    if (play_ == Play::kPlaying) {
        std::uint64_t elapsed = clockMs_() - playStartedMs_;
        std::uint64_t now = position_ + elapsed * 75 / 1000;
        if (now >= playEnd_) {
            position_ = playEnd_;
            play_ = Play::kCompleted;
            return position_;
        }
        return static_cast<std::uint32_t>(now);
    }
    return position_;
}

ScsiReply VirtualDrive::PlayAudio(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    if (trayOpen_)
        return TrayOpenReply();
    std::uint32_t start = Be32(&cdb[2]);
    std::uint32_t length = Be32(&cdb[6]);
    if (length == 0)
        return Good();  // MMC: a zero length plays nothing and is no error
    if (start >= image_.leadout || length > image_.leadout - start) {
        return Check(kSenseIllegalRequest, kAscLbaOutOfRange);
    }
    if (image_.TrackAt(start)->IsData())
        return Illegal(kAscIllegalModeForTrack);
    sound_.reset();
    position_ = start;
    playEnd_ = start + length;
    playStartedMs_ = clockMs_();
    play_ = Play::kPlaying;
    if (!audioDevice_.empty()) {
        // No device (no sound card) is no error: the play goes on silently by the clock.
        sound_ = PcmOutput::Play(audioDevice_, start, playEnd_,
                                 [this](std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
                                     return image_.ReadFrames(lba, count, out);
                                 });
    }
    return Good();
}

ScsiReply VirtualDrive::PauseResume(const ScsiRequest& request) {
    bool resume = request.cdb[8] & 0x01;
    Position();  // settles a play that has run out
    if (resume) {
        if (play_ == Play::kPaused) {
            playStartedMs_ = clockMs_();
            play_ = Play::kPlaying;
            if (sound_)
                sound_->Resume();
        } else if (play_ != Play::kPlaying) {
            return Illegal(kAscSequenceError);
        }
    } else {
        if (play_ == Play::kPlaying) {
            if (sound_)
                sound_->Pause();
            position_ = Position();
            play_ = Play::kPaused;
        } else if (play_ != Play::kPaused) {
            return Illegal(kAscSequenceError);
        }
    }
    return Good();
}

ScsiReply VirtualDrive::ReadSubChannel(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    bool msf = cdb[1] & 0x02;
    bool subQ = cdb[2] & 0x40;
    std::uint8_t format = cdb[3];
    if (trayOpen_)
        return TrayOpenReply();
    if (format < 1 || format > 3)
        return Illegal();

    std::uint32_t position = Position();
    std::uint8_t status = kAudioStatusNone;
    switch (play_) {
        case Play::kPlaying:
            status = kAudioStatusPlaying;
            break;
        case Play::kPaused:
            status = kAudioStatusPaused;
            break;
        case Play::kCompleted:
            // Reported once, as MMC drives do; then there is no current status.
            status = kAudioStatusCompleted;
            play_ = Play::kNone;
            break;
        case Play::kError:
            status = kAudioStatusError;
            play_ = Play::kNone;
            break;
        case Play::kNone:
            break;
    }

    std::vector<std::uint8_t> reply(4, 0);
    reply[1] = status;
    if (subQ) {
        reply.resize(format == 1 ? 16 : 24, 0);
        reply[4] = format;
        if (format == 1) {
            PutCurrentPosition(image_, position, msf, reply.data());
            if (faults_.damagedQ.count(position))
                reply[5] &= 0x0F;  // ADR 0: the drive read no position there
        } else if (format == 2 && !image_.catalog.empty()) {
            reply[8] = 0x80;  // MCVal
            std::memcpy(&reply[9], image_.catalog.data(), 13);
        } else if (format == 3) {
            const ImageTrack* track = nullptr;
            for (const ImageTrack& t : image_.tracks)
                if (t.number == cdb[6])
                    track = &t;
            if (!track)
                return Illegal();
            reply[5] = static_cast<std::uint8_t>(0x30 | track->control);  // ADR 3: ISRC
            reply[6] = cdb[6];
            if (!track->isrc.empty()) {
                reply[8] = 0x80;  // TCVal
                std::memcpy(&reply[9], track->isrc.data(), 12);
            }
        }
        PutBe16(&reply[2], static_cast<std::uint32_t>(reply.size() - 4));
    }
    return SendReply(request, reply, Be16(&cdb[7]));
}

ScsiReply VirtualDrive::StartStop(const ScsiRequest& request) {
    std::uint8_t bits = request.cdb[4];
    bool start = bits & 0x01;
    bool loadEject = bits & 0x02;
    Position();
    if (play_ != Play::kPaused)
        position_ = Position();
    play_ = Play::kNone;
    sound_.reset();
    if (loadEject)
        trayOpen_ = !start;
    return Good();
}

}  // namespace korvida
