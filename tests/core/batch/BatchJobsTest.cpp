#include "core/pipeline/BatchJobs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "Mp3Fixtures.h"
#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/pipeline/DecodeThread.h"
#include "core/pipeline/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

using test::ReadFile;
using test::WriteFile;
using ::testing::ElementsAre;

TEST(DecodeOutputPath, NameWithoutFolderAndLastExtension) {
    EXPECT_EQ(DecodeOutputPath("/music/out/  ", "/a/b.c/song.v2.mp3"), "/music/out/song.v2.WAV");
    EXPECT_EQ(DecodeOutputPath("/music/out", "plain"), "/music/out/plain.WAV");
}

class FileJobTest : public ::testing::Test {
  protected:
    FileJobTest() {
        job.mainWindow = &log;
        job.cancelEvent = &cancel;
        settings.OutputFolder = dir / "out";
        settings.ThreadPriority = 7;
    }

    void Run(FileJobKind kind, const std::vector<std::string>& paths) {
        SetFileJobItems(job, paths);
        std::thread worker = StartFileJob(job, kind, &progress, settings);
        ASSERT_TRUE(worker.joinable());
        worker.join();
    }

    // Which items began and how the job ended.
    std::vector<std::string> Story() const {
        std::vector<std::string> story;
        for (const Message& m : progress.messages()) {
            if (m.id == WM_ITEM_STATUS && m.wParam == 0)
                story.push_back(m.text.substr(m.text.rfind('/') + 1));
            if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED) {
                EXPECT_EQ(m.wParam, reinterpret_cast<std::intptr_t>(&job));
                story.push_back(m.id == WM_JOB_DONE ? "done" : "failed");
            }
        }
        return story;
    }

    test::TempDir dir;
    test::RecordingTarget log;
    test::RecordingTarget progress;
    Event cancel{false};
    RipJob job;
    Settings settings;
};

TEST_F(FileJobTest, DecodesInOrderAndTheFirstFailureEndsTheBatch) {
    const std::string a = test::Mp3Fixtures::Get().Make("a.mp3", "-b 64");
    const std::string c = test::Mp3Fixtures::Get().Make("c.mp3", "-b 64");
    WriteFile(dir / "b.mp3", "not an mp3");
    // Items left from an earlier batch are replaced, not added to.
    SetFileJobItems(job, {"/old/x.mp3", "/old/y.mp3", "/old/z.mp3", "/old/w.mp3"});
    Run(FileJobKind::kDecodeMp3, {a, dir / "b.mp3", c});

    EXPECT_THAT(Story(), ElementsAre("a.mp3", "b.mp3", "failed"));
    ASSERT_EQ(job.items.size(), 3u);
    for (const RipJobItem& item : job.items) {
        EXPECT_EQ(item.index, -1);
        EXPECT_TRUE(item.track.Title.empty() && item.track.Artist.empty());
    }
    EXPECT_EQ(job.items[0].outputPath, dir / "out/a.WAV");
    EXPECT_EQ(job.items[0].outputFolder, settings.OutputFolder);
    EXPECT_TRUE(test::ViewWav(ReadFile(dir / "out/a.WAV")).consistent);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.WAV"));
    EXPECT_TRUE(job.fileJob && job.keepWav);
    EXPECT_EQ(settings.ThreadPriority, 2);
}

TEST_F(FileJobTest, NormalisesEveryFileInPlace) {
    const std::string quiet = test::CdWav({100, -200, 300, -400});
    WriteFile(dir / "1.wav", quiet);
    WriteFile(dir / "2.wav", quiet);
    settings.NormalizeRatio = 50;
    Run(FileJobKind::kNormaliseWav, {dir / "1.wav", dir / "2.wav"});

    EXPECT_THAT(Story(), ElementsAre("1.wav", "2.wav", "done"));
    EXPECT_EQ(test::Samples(test::ViewWav(ReadFile(dir / "2.wav")).data),
              (std::vector<std::int16_t>{4096, -8191, 12288, -16383}));
    EXPECT_EQ(job.items[1].outputPath, dir / "2.wav");
}

// A cancel during a decode fails the job, so later files are not begun.
TEST_F(FileJobTest, CancelledDecodeEndsTheBatchAsFailed) {
    const std::string a = test::Mp3Fixtures::Get().Make("a.mp3", "-b 64");
    cancel.Set();
    SetFileJobItems(job, {a, a});
    // The start resets a request left from an earlier job; this one comes after it.
    std::thread worker = StartFileJob(job, FileJobKind::kDecodeMp3, &progress, settings);
    worker.join();
    EXPECT_THAT(Story(), ElementsAre("a.mp3", "a.mp3", "done"));

    struct CancelAtStart : test::RecordingTarget {
        Event* cancel = nullptr;
        void send(Message m) override {
            if (m.id == WM_DECODE_STATUS)
                cancel->Set();
            RecordingTarget::send(std::move(m));
        }
    } canceller;
    canceller.cancel = &cancel;
    job.progressWindow = &canceller;
    DecodeThread(job, settings.OutputFolder, {});
    std::vector<unsigned> ends;
    for (const Message& m : canceller.messages())
        if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED || m.id == WM_DECODE_STATUS)
            ends.push_back(m.id);
    EXPECT_THAT(ends, ElementsAre(WM_DECODE_STATUS, WM_JOB_FAILED));
    EXPECT_TRUE(job.aborted);
}

}  // namespace
}  // namespace korvida
