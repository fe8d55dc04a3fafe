#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida::test {

constexpr std::uint32_t kFrameBytes = 2352;

// Bytes of frame `lba` of the generated discs: different in every frame and position, so
// a frame read from the wrong place, twice or not at all shows in the output.
inline char FrameByte(std::uint32_t lba, std::uint32_t offset) {
    std::uint32_t x = (lba + 1) * 2654435761u ^ (offset + 7) * 40503u;
    x ^= x >> 13;
    return static_cast<char>((x * 2246822519u) >> 24);
}

inline std::string Frames(std::uint32_t first, std::uint32_t count) {
    std::string bytes(std::size_t{count} * kFrameBytes, '\0');
    for (std::uint32_t f = 0; f < count; ++f)
        for (std::uint32_t i = 0; i < kFrameBytes; ++i)
            bytes[std::size_t{f} * kFrameBytes + i] = FrameByte(first + f, i);
    return bytes;
}

inline std::string Msf(std::uint32_t lba) {
    char text[40];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", lba / 4500, lba / 75 % 60, lba % 75);
    return text;
}

// A disc in `folder` (disc.cue, disc.bin) whose tracks start at `starts` and whose
// lead-out is at `leadout`; its frames are `bin` (the pattern when empty).
inline std::string WriteDisc(const std::string& folder, const std::vector<std::uint32_t>& starts,
                             std::uint32_t leadout, std::string bin = {}) {
    if (bin.empty())
        bin = Frames(0, leadout);
    WriteFile(folder + "/disc.bin", bin);
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    for (std::size_t i = 0; i < starts.size(); ++i) {
        char track[48];
        std::snprintf(track, sizeof track, "  TRACK %02zu AUDIO\n", i + 1);
        cue += track;
        cue += "    INDEX 01 " + Msf(starts[i]) + "\n";
    }
    WriteFile(folder + "/disc.cue", cue);
    return folder + "/disc.cue";
}

// A driver whose one drive plays the disc at `cue`; the drive is kept for fault injection
// and command recording.
struct DiscDriver {
    explicit DiscDriver(const std::string& cue) {
        std::string error;
        drive = std::shared_ptr<VirtualDrive>(VirtualDrive::Open(cue, error));
        settings.RetryTimes = 1;
        DriveSources sources;
        sources.scanRealDrives = false;
        sources.virtualDrives = {drive};
        driver =
            std::make_unique<CSCSIDriverNative>(DriverOptionsFrom(settings), std::move(sources));
        driver->Init(0);
    }
    Settings settings;  // RetryTimes and DeviceType, copied into the driver when it is made
    std::shared_ptr<VirtualDrive> drive;
    std::unique_ptr<CSCSIDriverNative> driver;
};

// Start LBA and frame count of every audio read the drive received, in order.
inline std::vector<std::pair<std::uint32_t, std::uint32_t>> Reads(const VirtualDrive& drive) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> reads;
    for (const auto& cdb : drive.RecordedCommands()) {
        if (cdb.empty() || cdb[0] != 0xBE)  // READ CD, the read of drive type 0
            continue;
        const std::uint32_t lba = std::uint32_t{cdb[2]} << 24 | std::uint32_t{cdb[3]} << 16 |
                                  std::uint32_t{cdb[4]} << 8 | cdb[5];
        const std::uint32_t count =
            std::uint32_t{cdb[6]} << 16 | std::uint32_t{cdb[7]} << 8 | cdb[8];
        reads.emplace_back(lba, count);
    }
    return reads;
}

// A message target that records, and runs `onMessage` on the worker's thread as each
// message arrives, so a test can cancel at an exact point of the job.
class ScriptedTarget : public RecordingTarget {
  public:
    std::function<void(const Message&)> onMessage;
    void post(Message message) override { Handle(std::move(message)); }
    void send(Message message) override { Handle(std::move(message)); }
    using MessageTarget::post;
    using MessageTarget::send;

  private:
    void Handle(Message message) {
        if (onMessage)
            onMessage(message);
        RecordingTarget::send(std::move(message));
    }
};

// The job-log lines without their time stamps.
inline std::vector<std::string> LogTexts(const RecordingTarget& log) {
    std::vector<std::string> lines;
    for (const Message& m : log.messages())
        if (m.id == WM_JOB_LOG)
            lines.push_back(m.text.substr(m.text.find(' ', m.text.find(' ') + 1) + 1));
    return lines;
}

struct WavSizes {
    std::uint32_t riff = 0;
    std::uint32_t data = 0;
};

inline WavSizes SizesOf(const std::string& wav) {
    const auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<std::uint8_t>(wav[at + static_cast<std::size_t>(i)]);
        return v;
    };
    return wav.size() >= 44 ? WavSizes{le32(4), le32(40)} : WavSizes{};
}

}  // namespace korvida::test
