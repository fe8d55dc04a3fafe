#include "core/rip/SecureRead.h"

#include <algorithm>
#include <cstring>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/ScsiTypes.h"

namespace korvida {
namespace {

const std::uint8_t* FrameAt(const std::uint8_t* frames, std::uint32_t i) {
    return frames + std::size_t{i} * kRawSectorSize;
}

bool SameFrame(const std::uint8_t* a, const std::uint8_t* b) {
    return std::memcmp(a, b, kRawSectorSize) == 0;
}

}  // namespace

SecureReader::SecureReader(CSCSIDriver* driver, int mode, int rereads, Hooks hooks)
    : driver_(driver),
      mode_(mode == 2 ? 2 : 1),
      rereads_(std::max(rereads, 0)),
      hooks_(std::move(hooks)) {
    if (mode_ == 2) {
        DriveCapabilities capabilities;
        if (driver_ == nullptr || !driver_->ReadCapabilities(capabilities) ||
            !capabilities.c2Pointers)
            TurnToCompare();
    }
}

void SecureReader::BeginPass() {
    stop_ = Stop::kNone;
    c2Used_ = false;
    chunks_ = 0;
    rereadSectors_ = 0;
    suspicious_.clear();
}

void SecureReader::TurnToCompare() {
    mode_ = 1;
    if (hooks_.turnedToCompare)
        hooks_.turnedToCompare();
}

bool SecureReader::Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
    stop_ = Stop::kNone;
    if (mode_ == 2)
        return ReadWithC2(lba, count, out);
    return ReadCompared(lba, count, out);
}

bool SecureReader::ReadPlain(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
    AudioReadRequest request;
    request.startLba = lba;
    request.sectorCount = count;
    request.byteLength = count * kRawSectorSize;
    request.buffer = out;
    return driver_ != nullptr && driver_->ReadAudio(request) != 0;
}

bool SecureReader::ReadCompared(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
    second_.resize(std::size_t{count} * kRawSectorSize);
    if (!ReadPlain(lba, count, out)) {
        stop_ = Stop::kFailed;
        return false;
    }
    driver_->DefeatCache(lba, count);
    if (!ReadPlain(lba, count, second_.data())) {
        stop_ = Stop::kFailed;
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t* frame = out + std::size_t{i} * kRawSectorSize;
        if (SameFrame(frame, FrameAt(second_.data(), i)))
            continue;
        std::vector<std::uint8_t> known(frame, frame + kRawSectorSize);
        known.insert(known.end(), FrameAt(second_.data(), i), FrameAt(second_.data(), i + 1));
        if (!Settle(lba + i, std::move(known), frame))
            return false;
    }
    return true;
}

bool SecureReader::ReadWithC2(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
    flags_.assign(count, 0);
    AudioReadRequest request;
    request.startLba = lba;
    request.sectorCount = count;
    request.byteLength = count * kRawSectorSize;
    request.buffer = out;
    if (!driver_->ReadAudioC2(request, flags_.data())) {
        // A drive that refuses the C2 read has no pointers to give, whatever its page
        // says: its answers need comparing like any other's. Any other failure is the
        // disc's, and is handled as a failed read.
        if ((driver_->lastSense[2] & 0x0F) != kSenseIllegalRequest) {
            stop_ = Stop::kFailed;
            return false;
        }
        TurnToCompare();
        return ReadCompared(lba, count, out);
    }
    c2Used_ = true;
    if (chunks_++ % kC2SampleEvery == 0) {
        second_.resize(std::size_t{count} * kRawSectorSize);
        driver_->DefeatCache(lba, count);
        if (!ReadPlain(lba, count, second_.data())) {
            stop_ = Stop::kFailed;
            return false;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!flags_[i] && !SameFrame(FrameAt(out, i), FrameAt(second_.data(), i))) {
                mode_ = 1;
                stop_ = Stop::kC2Untrusted;
                return false;
            }
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        // A flagged read is known to be wrong somewhere: it is no version of the sector.
        if (flags_[i] && !Settle(lba + i, {}, out + std::size_t{i} * kRawSectorSize))
            return false;
    }
    return true;
}

bool SecureReader::Settle(std::uint32_t lba, std::vector<std::uint8_t> known, std::uint8_t* out) {
    ++rereadSectors_;
    if (hooks_.rereading)
        hooks_.rereading(rereadSectors_);
    // The versions read, each with how often it came back.
    std::vector<std::vector<std::uint8_t>> versions;
    std::vector<int> counts;
    int best = 0;
    auto add = [&](const std::uint8_t* frame) {
        for (std::size_t v = 0; v < versions.size(); ++v) {
            if (SameFrame(versions[v].data(), frame)) {
                best = std::max(best, ++counts[v]);
                return;
            }
        }
        versions.emplace_back(frame, frame + kRawSectorSize);
        counts.push_back(1);
        best = std::max(best, 1);
    };
    for (std::size_t at = 0; at + kRawSectorSize <= known.size(); at += kRawSectorSize)
        add(known.data() + at);

    std::vector<std::uint8_t> frame(kRawSectorSize);
    for (int reread = 0; best < 2 && reread < rereads_; ++reread) {
        if (hooks_.cancelled && hooks_.cancelled()) {
            stop_ = Stop::kCancelled;
            return false;
        }
        driver_->DefeatCache(lba, 1);
        if (ReadPlain(lba, 1, frame.data()))
            add(frame.data());  // a re-read that fails is no version
    }
    if (versions.empty()) {
        stop_ = Stop::kFailed;
        return false;
    }
    const auto winner =
        static_cast<std::size_t>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    std::memcpy(out, versions[winner].data(), kRawSectorSize);
    if (best < 2)
        suspicious_.push_back(lba);
    return true;
}

}  // namespace korvida
