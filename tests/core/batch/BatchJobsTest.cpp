#include "core/batch/BatchJobs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "Mp3Fixtures.h"
#include "core/batch/DecodeThread.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

using ::testing::ElementsAre;

TEST(DecodeOutputPath, NameWithoutFolderAndLastExtension) {
    EXPECT_EQ(DecodeOutputPath("/music/out/  ", "/a/b.c/song.v2.mp3"), "/music/out/song.v2.WAV");
    EXPECT_EQ(DecodeOutputPath("/music/out", "plain"), "/music/out/plain.WAV");
}

class DecodeJobTest : public ::testing::Test {
  protected:
    DecodeJobTest() {
        settings.OutputFolder = dir / "out";
        settings.ThreadPriority = 7;
    }
    // Which items began and how the job ended.
    std::vector<std::string> Run(const std::vector<std::string>& paths) {
        SetFileJobItems(*record, paths);
        JobParties parties;
        parties.progressWindow = &progress;
        parties.mainWindow = &log;
        job = StartFileJob(std::move(record), FileJobKind::kDecodeMp3, parties, settings);
        job.Wait();
        std::vector<std::string> story;
        for (const Message& m : progress.messages()) {
            if (m.id == WM_ITEM_STATUS)
                story.push_back(m.text.substr(m.text.rfind('/') + 1));
            if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED)
                story.push_back(m.id == WM_JOB_DONE ? "done" : "failed");
        }
        return story;
    }

    test::TempDir dir;
    test::RecordingTarget log;
    test::RecordingTarget progress;
    std::unique_ptr<RipJob> record = std::make_unique<RipJob>();
    RipJobHandle job;
    Settings settings;
};

TEST_F(DecodeJobTest, InOrderAndTheFirstFailureEndsTheBatch) {
    const std::string a = test::LameMp3("a.mp3", "-b 64");
    const std::string c = test::LameMp3("c.mp3", "-b 64");
    test::WriteFile(dir / "b.mp3", "not an mp3");
    settings.EncoderThreads = 1;  // several workers would begin c.mp3 beside b.mp3
    SetFileJobItems(*record, {"/earlier/x.mp3", "/earlier/y.mp3", "/earlier/z.mp3", "/w.mp3"});

    EXPECT_THAT(Run({a, dir / "b.mp3", c}), ElementsAre("a.mp3", "b.mp3", "failed"));
    ASSERT_EQ(job->items.size(), 3u);
    EXPECT_EQ(job->items[2].index, -1);
    EXPECT_EQ(job->items[0].outputPath, dir / "out/a.WAV");
    EXPECT_EQ(job->items[0].outputFolder, settings.OutputFolder);
    EXPECT_TRUE(test::ViewWav(test::ReadFile(dir / "out/a.WAV")).consistent);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.WAV"));
    EXPECT_EQ(settings.ThreadPriority, 2);
}

// A request left from an earlier job (the Close button of the last one) does not cancel
// this one.
TEST_F(DecodeJobTest, StaleCancelRequestIsReset) {
    const std::string a = test::LameMp3("a.mp3", "-b 64");
    EXPECT_THAT(Run({a}), ElementsAre("a.mp3", "done"));
    job.Cancel();  // the Close button of the finished job
    progress.Clear();
    record = std::make_unique<RipJob>();
    record->context.aborted = true;  // as a reused record would have it
    EXPECT_THAT(Run({a, a}), ElementsAre("a.mp3", "a.mp3", "done"));
    EXPECT_FALSE(job->context.aborted);
}

}  // namespace
}  // namespace korvida
