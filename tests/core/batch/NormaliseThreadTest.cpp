#include "core/batch/NormaliseThread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/batch/BatchJobs.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using test::CdWav;
using test::Chunk;
using test::FmtBody;
using test::ReadFile;
using test::RecordingTarget;
using test::RiffFile;
using test::TempDir;
using test::WriteFile;

class NormaliseThreadTest : public ::testing::Test {
  protected:
    void AddFile(const std::string& name, const std::string& bytes) {
        RipJobItem item;
        item.name = dir / name;
        WriteFile(item.name, bytes);
        record->items.push_back(item);
    }

    // Runs the normalise job on the files added, to its end.
    void Run(int threadPriority, int encoderThreads = 0) {
        Settings settings;
        settings.NormalizeRatio = 95;
        settings.OutputFolder = "/music/";
        settings.ThreadPriority = threadPriority;
        settings.EncoderThreads = encoderThreads;
        JobParties parties;
        parties.progressWindow = &progress;
        parties.mainWindow = &log;
        job = StartFileJob(std::move(record), FileJobKind::kNormaliseWav, parties, settings);
        job.Wait();
    }

    // The messages that tell the progress window which item runs and how the job ended.
    std::vector<std::string> Story() const {
        std::vector<std::string> story;
        for (const Message& m : progress.messages()) {
            if (m.id == WM_ITEM_STATUS && m.wParam == 0)
                story.push_back("item " + m.text.substr(m.text.rfind('/') + 1));
            if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED) {
                EXPECT_EQ(m.wParam, reinterpret_cast<std::intptr_t>(job.get()));
                story.push_back(m.id == WM_JOB_DONE ? "done" : "failed");
            }
        }
        return story;
    }

    TempDir dir;
    RecordingTarget progress;
    RecordingTarget log;
    std::unique_ptr<RipJob> record = std::make_unique<RipJob>();
    RipJobHandle job;
};

const std::string kQuiet = CdWav({100, -200, 300, -400});
const std::string k22050 =
    RiffFile({Chunk("fmt ", FmtBody(22050, 2, 16)), Chunk("data", std::string(8, '\x10'))});

TEST_F(NormaliseThreadTest, FirstFailingFileEndsTheJobAndLaterFilesAreLeftAlone) {
    AddFile("1.wav", kQuiet);
    AddFile("2.wav", k22050);
    AddFile("3.wav", kQuiet);
    Run(2, /*encoderThreads=*/1);  // several workers would begin 3.wav beside 2.wav

    EXPECT_THAT(Story(), ::testing::ElementsAre("item 1.wav", "item 2.wav", "failed"));
    EXPECT_NE(ReadFile(job->items[0].name), kQuiet);
    EXPECT_EQ(ReadFile(job->items[2].name), kQuiet);
    EXPECT_EQ(job->items[0].outputPath, job->items[0].name);
    EXPECT_EQ(job->items[0].outputFolder, "/music/");
    EXPECT_TRUE(job->items[2].outputPath.empty());
    EXPECT_TRUE(job->fileJob && job->keepWav);
}

TEST_F(NormaliseThreadTest, AbortedFlagLeftFromAnEarlierJobDoesNotCancelThisOne) {
    AddFile("1.wav", kQuiet);
    AddFile("2.wav", kQuiet);
    record->context.aborted = true;  // a record reused from a cancelled job
    Run(7);
    EXPECT_THAT(Story(), ::testing::ElementsAre("item 1.wav", "item 2.wav", "done"));
    EXPECT_FALSE(job->context.aborted);
    EXPECT_NE(ReadFile(job->items[1].name), kQuiet);
}

}  // namespace
}  // namespace korvida
