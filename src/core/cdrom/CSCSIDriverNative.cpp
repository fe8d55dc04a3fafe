#include "core/cdrom/CSCSIDriverNative.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/cdrom/DriveAccessMessage.h"
#include "core/cdrom/SenseText.h"
#include "core/cdrom/Toc.h"
#include "core/platform/ErrorText.h"
#include "core/settings/Settings.h"

namespace korvida {

namespace {

// Virtual drives sit on a SCSI "host adapter" of their own in the drive table, numbered
// by their place among the virtual drives.
constexpr std::uint32_t kVirtualHostAdapter = 99;
constexpr std::size_t kMaxRealDrives = 8;
// Real drives take at most 8 places, so 8 are always left for images whatever drives a
// later Init finds.
constexpr std::size_t kImageRoom = kMaxDrives - kMaxRealDrives;

std::int32_t Be32(const std::uint8_t* p) {
    return static_cast<std::int32_t>((std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) |
                                     p[3]);
}

bool IsUnitAttention(const ScsiReply& reply) {
    return reply.delivered && reply.status == kScsiStatusCheckCondition && reply.senseLength >= 3 &&
           (reply.sense[2] & 0x0F) == kSenseUnitAttention;
}

std::string FailureText(const ScsiReply& reply, std::size_t expected, bool fullTransfer) {
    if (!reply.delivered)
        return reply.systemError ? ErrorText(reply.systemError) : "没有驱动器";
    if (reply.timedOut)
        return "驱动器 5 秒内没有应答";
    if (reply.status == kScsiStatusCheckCondition) {
        return SenseText(reply.sense.data(), reply.senseLength);
    }
    if (reply.status != kScsiStatusGood) {
        return "SCSI 状态 " + std::to_string(reply.status);
    }
    if (reply.hostStatus || reply.driverStatus) {
        return "主机适配器状态 " + std::to_string(reply.hostStatus) + "，驱动程序状态 " +
               std::to_string(reply.driverStatus);
    }
    if (fullTransfer && reply.transferred < expected) {
        return "驱动器只传回 " + std::to_string(reply.transferred) + " 字节，应为 " +
               std::to_string(expected) + " 字节";
    }
    return {};
}

// An unusable device in the drive table: "sr0" as the vendor, the reason as the product.
void NameUnusableDrive(SCSIDriveInfo& info, const std::string& path, int error) {
    info = {};
    const std::string name = path.substr(path.rfind('/') + 1);
    std::snprintf(info.vendor, sizeof info.vendor, "%.8s", name.c_str());
    std::snprintf(info.product, sizeof info.product, "%s",
                  IsAccessError(error) ? "无权访问" : "无法打开");
}

// Image drives are told apart by a letter in the last byte of their product name (by
// their place): the options page and the status line show nothing else of them.
void NameImageDrive(VirtualDrive& drive, std::size_t place, const std::string& audioDevice) {
    drive.identity().product[15] = static_cast<char>('A' + place);
    drive.SetAudioDevice(audioDevice);
}

}  // namespace

DriverOptions DriverOptionsFrom(const Settings& settings) {
    DriverOptions options;
    options.retryTimes = settings.RetryTimes;
    options.deviceType = settings.DeviceType;
    options.digitalPlayback = settings.DigitalPlayback != 0;
    options.audioDevice = PcmOutput::DeviceName();
    return options;
}

CSCSIDriverNative::CSCSIDriverNative(DriverOptions options, DriveSources sources)
    : retryTimes_(options.retryTimes <= 0 ? 5 : options.retryTimes),
      deviceType_(options.deviceType),
      sources_(std::move(sources)),
      digitalPlayback_(options.digitalPlayback),
      audioDevice_(std::move(options.audioDevice)) {}

VirtualDrive* CSCSIDriverNative::VirtualDriveAt(int driveIndex) const {
    int index = driveIndex - static_cast<int>(paths_.size());
    if (index < 0 || index >= static_cast<int>(virtual_.size()))
        return nullptr;
    return virtual_[static_cast<std::size_t>(index)].get();
}

std::uint32_t CSCSIDriverNative::CurrentLun() const {
    if (currentDrive < 0 || currentDrive >= kMaxDrives)
        return 0;
    return drives[static_cast<std::size_t>(currentDrive)].lun;
}

void CSCSIDriverNative::LoadImages() {
    // Images load once per driver; a later Init (a drive change) keeps the drives and
    // their state, as it keeps a real drive's disc.
    if (imagesLoaded_)
        return;
    imagesLoaded_ = true;
    imageErrors_.clear();
    for (const std::string& cue : sources_.images) {
        if (virtual_.size() == kImageRoom) {
            imageErrors_.push_back(cue + ": no room for another drive (at most " +
                                   std::to_string(kMaxDrives) + ")");
            continue;
        }
        std::string error;
        std::unique_ptr<VirtualDrive> drive = VirtualDrive::Open(cue, error);
        if (!drive) {
            imageErrors_.push_back(error);
            continue;
        }
        // What the image goes without is told with the errors, as a warning.
        imageErrors_.insert(imageErrors_.end(), drive->image().notes.begin(),
                            drive->image().notes.end());
        NameImageDrive(*drive, virtual_.size(), audioDevice_);
        virtual_.push_back(std::move(drive));
        virtualSources_.push_back(cue);
        lastUsed_.push_back(0);
    }
    for (const auto& drive : sources_.virtualDrives) {
        if (virtual_.size() == kImageRoom || !drive)
            continue;
        virtual_.push_back(drive);
        virtualSources_.push_back({});
        lastUsed_.push_back(0);
    }
}

void CSCSIDriverNative::DescribeVirtualDrive(std::size_t k) {
    // Virtual drives are named by their INQUIRY answer, like the real ones.
    SCSIDriveInfo& info = drives[paths_.size() + k];
    info = {};
    Cdb inquiry = MakeInquiryCdb();
    std::uint8_t data[100] = {};
    ScsiRequest request{inquiry.data(), inquiry.length, DataDirection::kFromDevice, data,
                        sizeof data};
    ScsiReply reply = virtual_[k]->Execute(request);
    if (reply.Succeeded())
        SetIdentityFromInquiry(info, data, reply.transferred);
    info.hostAdapter = kVirtualHostAdapter;
    info.target = static_cast<std::uint32_t>(k);
    info.lun = virtual_[k]->identity().lun;
}

int CSCSIDriverNative::Init(int requestedDrive) {
    sound_.reset();
    driveCount = 0;
    drives = {};
    handle_.Reset();
    openPath_ = -1;
    paths_ = sources_.scanRealDrives ? FindCdromDevicePaths(sources_.system)
                                     : std::vector<std::string>{};
    LoadImages();
    // The image given at start is chosen once; after that the index asked for is.
    const std::string selectImage = std::exchange(sources_.selectImage, {});
    int total = static_cast<int>(paths_.size() + virtual_.size());
    if (total == 0) {
        lastError_ = "no CD-ROM drive and no CD image";
        return 0;
    }

    int selected = requestedDrive < 0 || requestedDrive >= total ? 0 : requestedDrive;
    if (!selectImage.empty()) {
        auto it = std::find(virtualSources_.begin(), virtualSources_.end(), selectImage);
        if (it != virtualSources_.end()) {
            selected = static_cast<int>(paths_.size() + (it - virtualSources_.begin()));
        }
    }

    selectionProblem_.clear();
    fua_ = Fua::kUnknown;
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        const int fd = OpenCdromDevice(sources_.system, paths_[i]);
        const int openError = errno;
        UniqueFd probe(fd, sources_.system.close);
        // A drive whose probe fails keeps its place, unnamed; one that does not open is
        // named by its device and why, so the user sees it is there but unusable.
        if (probe.valid())
            ProbeCdromDevice(sources_.system, probe.get(), retryTimes_, drives[i]);
        else
            NameUnusableDrive(drives[i], paths_[i], openError);
    }
    for (std::size_t k = 0; k < virtual_.size(); ++k)
        DescribeVirtualDrive(k);
    if (selected < static_cast<int>(paths_.size())) {
        const std::string& path = paths_[static_cast<std::size_t>(selected)];
        const int fd = OpenCdromDevice(sources_.system, path);
        const int openError = errno;
        handle_ = UniqueFd(fd, sources_.system.close);
        if (!handle_.valid()) {
            // The table stays, so the drive list shows which drive it is; no command can
            // reach it.
            lastError_ = path + ": " + ErrorText(openError);
            selectionProblem_ = DriveAccessMessage(path, openError);
            driveCount = total;
            currentDrive = selected;
            return 0;
        }
        openPath_ = selected;
    } else {
        lastUsed_[static_cast<std::size_t>(selected) - paths_.size()] = ++uses_;
    }
    driveCount = total;
    currentDrive = selected;
    lastError_.clear();
    return 1;
}

int CSCSIDriverNative::OpenImage(const std::string& cuePath, std::string* errorText) {
    std::string error;
    std::unique_ptr<VirtualDrive> drive = VirtualDrive::Open(cuePath, error);
    if (!drive) {
        if (errorText)
            *errorText = error;
        return 0;
    }
    const bool currentIsVirtual = driveCount > 0 && VirtualDriveAt(currentDrive) != nullptr;
    const std::size_t current =
        currentIsVirtual ? static_cast<std::size_t>(currentDrive) - paths_.size() : SIZE_MAX;
    std::size_t slot = static_cast<std::size_t>(
        std::find(virtualSources_.begin(), virtualSources_.end(), cuePath) -
        virtualSources_.begin());
    if (slot == virtual_.size() && virtual_.size() == kImageRoom) {
        // Only image drives give up their place: a drive made by the caller is kept.
        slot = SIZE_MAX;
        for (std::size_t k = 0; k < virtual_.size(); ++k) {
            if (k == current || virtualSources_[k].empty())
                continue;
            if (slot == SIZE_MAX || lastUsed_[k] < lastUsed_[slot])
                slot = k;
        }
        if (slot == SIZE_MAX) {
            if (errorText)
                *errorText = cuePath + ": no room for another drive (at most " +
                             std::to_string(kMaxDrives) + ")";
            return 0;
        }
    }
    NameImageDrive(*drive, slot, audioDevice_);
    // The digital play's thread sends commands: it ends before the lock is taken.
    sound_.reset();
    {
        std::lock_guard lock(sendMutex_);
        if (slot == virtual_.size()) {
            virtual_.push_back(std::move(drive));
            virtualSources_.push_back(cuePath);
            lastUsed_.push_back(0);
        } else {
            // A drive given up goes with its sound; nothing else holds it while we wait.
            virtual_[slot] = std::move(drive);
            virtualSources_[slot] = cuePath;
        }
    }
    DescribeVirtualDrive(slot);
    handle_.Reset();
    openPath_ = -1;
    selectionProblem_.clear();
    fua_ = Fua::kUnknown;
    driveCount = static_cast<int>(paths_.size() + virtual_.size());
    currentDrive = static_cast<int>(paths_.size() + slot);
    lastUsed_[slot] = ++uses_;
    lastError_.clear();
    return 1;
}

std::vector<std::string> CSCSIDriverNative::ImagePaths() const {
    std::vector<std::string> paths;
    for (const std::string& cue : virtualSources_)
        if (!cue.empty())
            paths.push_back(cue);
    return paths;
}

ScsiReply CSCSIDriverNative::SendOnce(const ScsiRequest& request) {
    std::lock_guard lock(sendMutex_);
    if (driveCount <= 0 || currentDrive < 0 || currentDrive >= driveCount)
        return ScsiReply{};
    if (VirtualDrive* drive = VirtualDriveAt(currentDrive))
        return drive->Execute(request);
    if (!handle_.valid())
        return ScsiReply{};
    return SgIoExecute(sources_.system, handle_.get(), request);
}

int CSCSIDriverNative::Run(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction,
                           std::uint8_t* data, std::size_t dataLength, bool fullTransfer,
                           bool rereadsDefeatCache) {
    // A pass-through request carries at most 16 CDB bytes.
    std::uint8_t bytes[16] = {};
    std::size_t length = std::min<std::size_t>(cdbLength, sizeof bytes);
    if (cdb)
        std::memcpy(bytes, cdb, length);
    ScsiRequest request;
    request.cdb = bytes;
    request.cdbLength = length;
    request.direction = direction;
    request.data = data;
    request.dataLength = data ? dataLength : 0;
    request.timeoutMs = kCommandTimeoutMs;
    lastError_ = Attempt(request, fullTransfer, &lastSense, rereadsDefeatCache);
    return lastError_.empty() ? 1 : 0;
}

std::string CSCSIDriverNative::Attempt(const ScsiRequest& request, bool fullTransfer,
                                       std::array<std::uint8_t, 16>* sense,
                                       bool rereadsDefeatCache) {
    std::string failure = "command failed";
    bool attentionAsked = false;
    bool misread = false;  // the last attempt ended in MEDIUM ERROR
    for (int attempt = 0; attempt < retryTimes_; ++attempt) {
        // After a read the drive says failed on the disc, the frames it cached around the
        // bad one must not come back as the retry's answer. Transport failures and
        // time-outs never reached the disc: nothing to defeat.
        if (attempt > 0 && rereadsDefeatCache && misread) {
            // The audio reads carry their LBA in bytes 3-5.
            const std::uint32_t lba = (std::uint32_t{request.cdb[3]} << 16) |
                                      (std::uint32_t{request.cdb[4]} << 8) | request.cdb[5];
            DefeatCache(lba, static_cast<std::uint32_t>(request.dataLength / kRawSectorSize));
        }
        ScsiReply reply = SendOnce(request);
        // A disc change is news, not a failure: the command is sent again.
        if (IsUnitAttention(reply) && !attentionAsked) {
            attentionAsked = true;
            --attempt;
            continue;
        }
        misread = reply.status == kScsiStatusCheckCondition && reply.senseLength >= 3 &&
                  (reply.sense[2] & 0x0F) == kSenseMediumError;
        if (reply.status == kScsiStatusCheckCondition) {
            *sense = {};
            std::memcpy(sense->data(), reply.sense.data(),
                        std::min<std::size_t>(reply.senseLength, 14));
        }
        failure = FailureText(reply, request.dataLength, fullTransfer);
        if (failure.empty() && reply.Succeeded())
            return {};
        if (failure.empty())
            failure = "command failed";
    }
    return failure;
}

int CSCSIDriverNative::ExecCommand(const std::uint8_t* cdb, int cdbLength, std::uint8_t* out,
                                   std::uint32_t outLength, std::uint8_t* in,
                                   std::uint32_t inLength) {
    if (cdb == nullptr || cdbLength <= 0)
        return 0;
    std::size_t length = static_cast<std::size_t>(cdbLength);
    if (out != nullptr)
        return Run(cdb, length, DataDirection::kToDevice, out, outLength, false);
    return Run(cdb, length, in ? DataDirection::kFromDevice : DataDirection::kNone, in,
               in ? inLength : 0, false);
}

int CSCSIDriverNative::Pause(int pause) {
    if (sound_) {
        if (pause)
            sound_->Pause();
        else
            sound_->Resume();
        return 1;
    }
    Cdb cdb = MakePauseResumeCdb(CurrentLun(), pause != 0);
    return ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, nullptr, 0);
}

int CSCSIDriverNative::ReadSubChannel(std::uint8_t format, std::uint8_t* buffer,
                                      std::uint32_t length, std::uint8_t track) {
    if (buffer == nullptr)
        return 0;
    std::memset(buffer, 0, length);
    // The allocation length field has 16 bits; a larger buffer simply is not filled.
    std::uint16_t allocation = static_cast<std::uint16_t>(std::min<std::uint32_t>(length, 0xFFFF));
    Cdb cdb = MakeReadSubChannelCdb(CurrentLun(), format, allocation, track);
    return ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, buffer, allocation);
}

int CSCSIDriverNative::GetPosition(std::int32_t* relative, std::int32_t* absolute,
                                   std::uint32_t* audioStatus) {
    if (sound_) {
        const PcmPlayStatus heard = sound_->Status();
        // Track-relative like a drive's Q sub-channel: from the start of the track that
        // holds the position.
        std::uint32_t trackStart = playStart_;
        for (std::uint32_t start : trackStarts_)
            if (start <= heard.position)
                trackStart = std::max(trackStart, start);
        std::uint32_t status = kAudioStatusPlaying;
        if (heard.state == PcmPlayState::kPaused) {
            status = kAudioStatusPaused;
        } else if (heard.state == PcmPlayState::kCompleted) {
            status = kAudioStatusCompleted;
        } else if (heard.state == PcmPlayState::kFailed) {
            status = kAudioStatusError;
        }
        if (audioStatus)
            *audioStatus = status;
        if (absolute)
            *absolute = static_cast<std::int32_t>(heard.position);
        if (relative)
            *relative = static_cast<std::int32_t>(heard.position - trackStart);
        // The end of a play is reported once, as a drive does.
        if (status == kAudioStatusCompleted || status == kAudioStatusError)
            sound_.reset();
        return 1;
    }
    std::uint8_t reply[48];
    int result = ReadSubChannel(1, reply, sizeof reply, 0);
    if (audioStatus)
        *audioStatus = reply[1];
    if (absolute)
        *absolute = Be32(&reply[8]);
    if (relative)
        *relative = Be32(&reply[12]);
    return result;
}

int CSCSIDriverNative::Eject() {
    sound_.reset();
    Cdb cdb = MakeStartStopUnitCdb(true);
    return ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, nullptr, 0);
}

int CSCSIDriverNative::CloseTray() {
    sound_.reset();
    Cdb cdb = MakeCloseTrayCdb();
    return ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, nullptr, 0);
}

int CSCSIDriverNative::TrayOpen() {
    // One question, not retried: "not ready" is the answer, not a failure.
    Cdb cdb = MakeTestUnitReadyCdb();
    ScsiRequest request{cdb.data(), cdb.length, DataDirection::kNone, nullptr, 0};
    const ScsiReply reply = SendOnce(request);
    return reply.delivered && reply.status == kScsiStatusCheckCondition &&
           reply.senseLength >= 14 && (reply.sense[2] & 0x0F) == kSenseNotReady &&
           reply.sense[12] == 0x3A && reply.sense[13] == 0x02;
}

int CSCSIDriverNative::Stop() {
    sound_.reset();
    Cdb cdb = MakeStartStopUnitCdb(false);
    return ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, nullptr, 0);
}

int CSCSIDriverNative::PlayAudio(std::uint32_t startLba, std::uint32_t endLba) {
    if (endLba < startLba)
        return 0;  // the length would wrap to four billion frames
    sound_.reset();
    if (digitalPlayback_.load() && endLba > startLba && !VirtualDriveAt(currentDrive) &&
        PlayDigitally(startLba, endLba))
        return 1;
    Cdb cdb = MakePlayAudioCdb(startLba, endLba);
    return ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0, nullptr, 0);
}

int CSCSIDriverNative::PlayDigitally(std::uint32_t startLba, std::uint32_t endLba) {
    if (audioDevice_.empty() || driveCount <= 0)
        return 0;
    // The track starts give the relative position; read now, so the thread only reads
    // audio. Without a TOC the position counts from the start of the play.
    trackStarts_.clear();
    playStart_ = startLba;
    std::uint8_t toc[kTocBufferSize];
    if (ReadTOC(toc, 0)) {
        for (const TocDescriptor& d : ParseTocReply(toc, sizeof toc).descriptors)
            if (!d.IsLeadout())
                trackStarts_.push_back(d.lba);
    }
    const std::uint32_t lun = CurrentLun();
    auto reader = [this, lun](std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
        Cdb cdb = MakeReadAudioCdb(deviceType_.load(), lun, lba, count);
        ScsiRequest request{cdb.data(), cdb.length, DataDirection::kFromDevice, out,
                            std::size_t{count} * kRawSectorSize};
        // Sense of the play's reads is not the caller's lastSense: that belongs to the
        // caller's own commands.
        std::array<std::uint8_t, 16> sense{};
        return Attempt(request, /*fullTransfer*/ true, &sense).empty();
    };
    sound_ = PcmOutput::Play(audioDevice_, startLba, endLba, reader);
    return sound_ ? 1 : 0;
}

int CSCSIDriverNative::ReadAudio(AudioReadRequest& request) {
    // The transfer must be exactly the frames asked for; a byte length that disagrees
    // would let the drive write past the caller's buffer or leave part of it stale.
    if (request.buffer == nullptr || request.sectorCount == 0 || request.sectorCount > 0xFFFF ||
        std::uint64_t{request.sectorCount} * kRawSectorSize != request.byteLength) {
        lastError_ = "bad audio read request";
        return 0;
    }
    Cdb cdb =
        MakeReadAudioCdb(deviceType_.load(), CurrentLun(), request.startLba, request.sectorCount);
    return Run(cdb, DataDirection::kFromDevice, request.buffer, request.byteLength, true,
               /*rereadsDefeatCache*/ true);
}

int CSCSIDriverNative::ReadTOC(std::uint8_t* buffer, int addressForm) {
    if (buffer == nullptr)
        return 0;
    std::memset(buffer, 0, kTocBufferSize);
    Cdb cdb = MakeReadTocCdb(addressForm == 1);
    return Run(cdb, DataDirection::kFromDevice, buffer, kTocBufferSize, false);
}

}  // namespace korvida
