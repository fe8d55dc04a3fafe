#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/rip/ExtractTrack.h"
#include "support/RipTestSupport.h"

namespace korvida::test {

// One track of a disc image ripped through the virtual drive by Extract, the job's log
// and progress recorded.
class ExtractFixture : public ::testing::Test {
  protected:
    ExtractFixture() {
        std::filesystem::create_directories(dir / "tmp");
        settings.OutputFolder = dir / "out";
        settings.TEMPDIRECTORY = dir / "tmp";
        settings.NamingRule = "<number>";
        job.keepWav = true;
        job.context.cancelEvent = &cancel;
        job.context.progressWindow = &progress;
        job.context.mainWindow = &log;
    }

    void InsertDisc(const std::vector<std::uint32_t>& starts, std::uint32_t leadout,
                    std::string bin = {}) {
        disc =
            std::make_unique<DriverOnImage>(WriteDisc(dir.path(), starts, leadout, std::move(bin)));
        disc->drive->SetRecording(true);
        job.driver = disc->driver.get();
    }

    int Extract(std::uint32_t start, std::uint32_t end, int index = 0) {
        RipJobItem item;
        item.start = start;
        item.end = end;
        item.index = index;
        item.name = "Track " + std::to_string(index + 1);
        job.items = {item};
        job.current = &job.items[0];
        return korvida::Extract(job, settings);
    }

    std::string Output() const { return ReadFile(job.items[0].outputPath); }
    std::string Samples() const { return Output().substr(44); }

    TempDir dir;
    Settings settings;
    RecordingTarget log;
    ScriptedTarget progress;
    Event cancel{false};
    RipJob job;
    std::unique_ptr<DriverOnImage> disc;
};

}  // namespace korvida::test
