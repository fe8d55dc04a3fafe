// The rip and the file jobs with encoder workers behind the reader: the same files and
// lines as one thread gives, and nothing left behind by a cancel.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>

#include "core/batch/BatchJobs.h"
#include "core/disc/LoadDisc.h"
#include "core/encode/EncoderLibrary.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJobHandle.h"
#include "core/rip/RipProgress.h"
#include "support/RipBench.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kTrackFrames = 150;  // two seconds: several progress steps each

int ThreadsOfThisProcess() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

// Every file below `folder`, by its path relative to it, with its bytes.
std::map<std::string, std::string> FilesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = test::ReadFile(entry.path());
    return files;
}

class PipelinedRipTest : public ::testing::Test, public test::RipBench {
  protected:
    PipelinedRipTest()
        : RipBench({0, kTrackFrames, 2 * kTrackFrames, 3 * kTrackFrames, 4 * kTrackFrames},
                   5 * kTrackFrames) {
        EXPECT_TRUE(LoadEncoderLibrary(0));
        settings.ReplayGain = 1;  // track values from the workers, album values at the end
        Load();
    }

    // Rips every track into `folder` with `workers` encoder threads; how it ended.
    std::string Rip(const std::string& folder, int workers, int format = kOutputMp3) {
        settings.OutputFolder = home / folder;
        settings.OutputFormat = format;
        settings.EncoderThreads = workers;
        progress.Clear();
        main.Clear();
        RunRip();
        const auto ends = progress.Only(WM_JOB_DONE);
        return ends.empty() ? "failed" : "done";
    }
};

TEST_F(PipelinedRipTest, FourWorkersWriteTheFilesAndLinesOneThreadWrites) {
    for (const int format : {kOutputMp3, kOutputFlac}) {
        const std::string one = "one" + std::to_string(format);
        const std::string four = "four" + std::to_string(format);
        ASSERT_EQ(Rip(one, 1, format), "done");
        const std::vector<std::string> inTurn = test::LogTexts(main);
        if (format == kOutputMp3) {
            // One thread: read a track, encode it, read the next.
            ASSERT_GE(inTurn.size(), 8u);
            EXPECT_THAT(
                std::vector(inTurn.begin(), inTurn.begin() + 8),
                ElementsAre("正在抓取 音轨 1 ...", "抓取 音轨 1 完成！", "正在编码 音轨 1 ...",
                            "编码 音轨 1 完成！", "正在抓取 音轨 2 ...", "抓取 音轨 2 完成！",
                            "正在编码 音轨 2 ...", "编码 音轨 2 完成！"));
            EXPECT_THAT(progress.Only(WM_ENCODE_BEHIND), IsEmpty());
        }

        ASSERT_EQ(Rip(four, 4, format), "done");
        const auto expected = FilesIn(home / one);
        ASSERT_EQ(expected.size(), 5u);
        EXPECT_TRUE(FilesIn(home / four) == expected) << "format " << format;
        EXPECT_TRUE(fs::is_empty(home / "tmp"));

        // Every line is there; each track's lines keep their order.
        std::vector<std::string> behind = test::LogTexts(main);
        for (int n = 1; n <= 5; ++n) {
            const std::string name = "音轨 " + std::to_string(n);
            auto at = [&](const std::string& text) {
                return std::find(behind.begin(), behind.end(), text) - behind.begin();
            };
            EXPECT_LT(at("抓取 " + name + " 完成！"), at("正在编码 " + name + " ..."));
            EXPECT_LT(at("正在编码 " + name + " ..."), at("编码 " + name + " 完成！"));
        }
        std::vector<std::string> sortedOne = inTurn;
        std::sort(sortedOne.begin(), sortedOne.end());
        std::sort(behind.begin(), behind.end());
        EXPECT_EQ(behind, sortedOne);
        // Every track's encoding is announced and ended, whichever worker had it, and the
        // end of the reading is told: a window that follows them ends with no encoder line.
        const auto shown = progress.Only(WM_ENCODE_BEHIND);
        ASSERT_EQ(shown.size(), 5u);
        EXPECT_EQ(shown.front().lParam, 5);
        RipProgress window(5);
        for (const Message& m : progress.messages())
            window.Take(m, 1000);
        EXPECT_TRUE(window.readingDone());
        EXPECT_TRUE(window.encoding().empty());
        EXPECT_EQ(window.encodedCount(), 5);
        EXPECT_EQ(window.stageText(), "正在写入专辑的 ReplayGain 标签");
    }
}

// Wherever the cancel lands (reading, encoding, both), no temporary WAV, no half-written
// output and no worker stays; the files that are there are whole.
TEST_F(PipelinedRipTest, ACancelAnywhereLeavesNoTemporaryFileHalfFileOrThread) {
    settings.ReplayGain = 0;  // a cancelled rip's files lack the album values
    ASSERT_EQ(Rip("whole", 4), "done");
    const auto whole = FilesIn(home / "whole");
    const auto steps = progress.messages().size();
    const int threadsBefore = ThreadsOfThisProcess();

    int cut = 0;  // rips the cancel left short: the test must reach into the job
    for (int k = 0; k < 10; ++k) {
        const std::size_t at = steps * static_cast<std::size_t>(k) / 10;
        std::atomic<std::size_t> seen{0};
        progress.onMessage = [&](const Message&) {
            if (seen++ == at)
                if (Event* event = cancelEvent.load())
                    event->Set();
        };
        const std::string folder = "cancel" + std::to_string(k);
        EXPECT_EQ(Rip(folder, 4), "done") << "a cancelled rip ends on the completion page";
        progress.onMessage = nullptr;

        EXPECT_TRUE(fs::is_empty(home / "tmp")) << "cancel at message " << at;
        cut += FilesIn(home / folder).size() < whole.size();
        for (const auto& [name, bytes] : FilesIn(home / folder)) {
            ASSERT_TRUE(whole.count(name)) << name << " after a cancel at message " << at;
            EXPECT_TRUE(bytes == whole.at(name)) << name;
        }
        const auto lines = test::LogTexts(main);
        EXPECT_LE(std::count(lines.begin(), lines.end(), "用户取消操作。"), 1);
        EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
    }
    EXPECT_GE(cut, 5);
}

// A file job on four workers writes the files one worker writes and lists them in the
// user's order; a file that fails ends it as failed, with nothing half-made.
TEST_F(PipelinedRipTest, BatchEncodeOnFourWorkersMatchesOneWorker) {
    fs::create_directories(home / "src");
    std::vector<std::string> sources;
    for (std::uint32_t n = 0; n < 6; ++n) {
        sources.push_back(home / ("src/" + std::to_string(n) + ".wav"));
        test::WriteFile(sources.back(),
                        test::CdWav(test::Samples(test::Frames(n * 75, 75 + n * 20))));
    }
    auto encode = [&](const std::string& folder, int workers) {
        auto job = std::make_unique<RipJob>();
        SetFileJobItems(*job, sources);
        settings.OutputFolder = home / folder;
        settings.EncoderThreads = workers;
        progress.Clear();
        RipJobHandle handle =
            StartFileJob(std::move(job), FileJobKind::kEncodeMp3, parties, settings);
        handle.Wait();
        std::vector<std::string> listed;
        for (const RipJobItem& item : handle->items)
            listed.push_back(fs::path(item.outputPath).filename().string());
        EXPECT_EQ(progress.Only(WM_JOB_DONE).size() + progress.Only(WM_JOB_FAILED).size(), 1u);
        return std::pair(listed, progress.Only(WM_JOB_FAILED).empty());
    };
    const auto one = encode("one", 1);
    const auto four = encode("four", 4);
    EXPECT_THAT(four.first, ElementsAre("0.MP3", "1.MP3", "2.MP3", "3.MP3", "4.MP3", "5.MP3"));
    EXPECT_EQ(four, one);
    EXPECT_TRUE(FilesIn(home / "four") == FilesIn(home / "one"));
    // The window counted every file once, in order.
    std::vector<std::string> announced;
    for (const Message& m : progress.Only(WM_ITEM_STATUS))
        if (m.wParam == 0)
            announced.push_back(fs::path(m.text).filename().string());
    EXPECT_THAT(announced, ElementsAre("0.wav", "1.wav", "2.wav", "3.wav", "4.wav", "5.wav"));

    test::WriteFile(sources[2], "not a wave file");
    const auto failed = encode("failed", 4);
    EXPECT_FALSE(failed.second);
    for (const auto& [name, bytes] : FilesIn(home / "failed")) {
        ASSERT_TRUE(FilesIn(home / "one").count(name)) << name;
        EXPECT_TRUE(bytes == FilesIn(home / "one").at(name)) << name;
    }
}

}  // namespace
}  // namespace korvida
