#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/cdrom/VirtualDrive.h"
#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "support/AudioTestSupport.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {

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
