// The driver's answers to a drive's habits: waiting for a disc to become ready, the read
// speed, and reads that must come from the disc rather than the drive's cache.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/Toc.h"

namespace korvida {
namespace {

// How often a drive that is becoming ready is asked again.
constexpr unsigned kReadyPollMs = 250;
// Frames read to push the frames of a re-read out of a cache that ignores FUA: a minute of
// audio, 10 MB, more than the 2-8 MB drives keep.
constexpr std::uint32_t kFarReadFrames = 4500;
constexpr std::uint32_t kFarReadChunk = 75;

std::uint8_t SenseKey(const ScsiReply& reply) {
    return reply.senseLength >= 3 ? reply.sense[2] & 0x0F : 0;
}
std::uint8_t Asc(const ScsiReply& reply) {
    return reply.senseLength >= 14 ? reply.sense[12] : 0;
}

}  // namespace

DriveReadiness CSCSIDriverNative::WaitUntilReady(unsigned deadlineMs,
                                                 const std::function<void()>& waiting) {
    auto now = sources_.clockMs ? sources_.clockMs : [] {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    };
    auto sleep = sources_.sleepMs ? sources_.sleepMs : [](unsigned ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    const std::uint64_t start = now();
    const Cdb cdb = MakeTestUnitReadyCdb();
    bool attentionSeen = false;
    bool told = false;
    for (;;) {
        ScsiRequest request{cdb.data(), cdb.length, DataDirection::kNone, nullptr, 0};
        const ScsiReply reply = SendOnce(request);
        if (reply.Succeeded() || reply.status != kScsiStatusCheckCondition)
            return DriveReadiness::kReady;  // ready, or a drive that does not tell
        const std::uint8_t key = SenseKey(reply);
        if (key == kSenseUnitAttention && !attentionSeen) {
            attentionSeen = true;
            continue;
        }
        if (key == kSenseNotReady && Asc(reply) == 0x3A)
            return DriveReadiness::kNoDisc;
        if (key != kSenseNotReady && key != kSenseUnitAttention)
            return DriveReadiness::kReady;  // the commands that follow will say what is wrong
        if (now() - start >= deadlineMs)
            return DriveReadiness::kNotReady;
        if (!told && waiting) {
            told = true;
            waiting();
        }
        sleep(kReadyPollMs);
    }
}

int CSCSIDriverNative::SetReadSpeed(std::uint16_t kbPerSecond) {
    Cdb cdb = MakeSetCdSpeedCdb(kbPerSecond);
    return Run(cdb, DataDirection::kNone, nullptr, 0, false);
}

CacheDefeat CSCSIDriverNative::DefeatCache(std::uint32_t lba, std::uint32_t count) {
    // Sent once each, outside Run: this happens between the attempts of another command,
    // whose sense and error text must stay its own.
    if (fua_ != Fua::kRefused) {
        // READ CD has no FUA bit; READ (10) has, and a drive that honours it drops its
        // cached frames. Nothing is transferred, so the data mode does not matter.
        const Cdb cdb = MakeFuaReadCdb(CurrentLun(), lba);
        const ScsiReply reply =
            SendOnce({cdb.data(), cdb.length, DataDirection::kNone, nullptr, 0});
        if (reply.Succeeded()) {
            fua_ = Fua::kHonoured;
            return CacheDefeat::kFua;
        }
        if (reply.status != kScsiStatusCheckCondition || SenseKey(reply) != kSenseIllegalRequest)
            return CacheDefeat::kNone;  // no disc, a time-out: reading elsewhere would not help
        fua_ = Fua::kRefused;
    }

    // Otherwise the frames are pushed out: reads of as much audio as a cache holds, at the
    // end of the disc farther from them, so that no read-ahead brings them back either.
    std::vector<std::uint8_t> toc(kTocBufferSize);
    const Cdb tocCdb = MakeReadTocCdb(false);
    if (!SendOnce(
             {tocCdb.data(), tocCdb.length, DataDirection::kFromDevice, toc.data(), toc.size()})
             .Succeeded())
        return CacheDefeat::kNone;
    const TocView view = ParseTocReply(toc.data(), toc.size());
    if (view.descriptors.empty() || !view.descriptors.back().IsLeadout())
        return CacheDefeat::kNone;
    const std::uint32_t leadout = view.descriptors.back().lba;
    const std::uint32_t end = std::min(lba + count, leadout);
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    if (leadout - end >= lba) {
        from = std::max(end, leadout > kFarReadFrames ? leadout - kFarReadFrames : 0);
        to = leadout;
    } else {
        to = std::min(lba, kFarReadFrames);
    }
    if (from >= to)
        return CacheDefeat::kNone;  // the frames are the whole disc: nothing lies far away
    std::vector<std::uint8_t> buffer(std::size_t{kFarReadChunk} * kRawSectorSize);
    for (std::uint32_t at = from; at < to; at += kFarReadChunk) {
        const std::uint32_t frames = std::min(kFarReadChunk, to - at);
        const Cdb read = MakeReadAudioCdb(deviceType_.load(), CurrentLun(), at, frames);
        SendOnce({read.data(), read.length, DataDirection::kFromDevice, buffer.data(),
                  std::size_t{frames} * kRawSectorSize});
    }
    return CacheDefeat::kFarRead;
}

}  // namespace korvida
