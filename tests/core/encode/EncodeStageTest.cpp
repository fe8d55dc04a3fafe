// What every encoder stage promises the rip and encode-files threads: naming, the
// temporary WAV, cancellation, the free-space test and file errors.

#include <signal.h>
#include <sys/resource.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "EncodeTestSupport.h"
#include "core/encode/Mp3Encoder.h"
#include "core/encode/OggEncoder.h"
#include "support/SmallDisk.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

struct Stage {
    const char* name;
    int (*encode)(RipJob&, const EncodeEnvironment&);
    const char* extension;
};
const Stage kMp3{"Mp3", EncodeMp3, ".MP3"};
const Stage kOgg{"Ogg", EncodeOgg, ".ogg"};
const Stage kFlac{"Flac", EncodeFlac, ".flac"};
const Stage kOpus{"Opus", EncodeOpus, ".opus"};

class EncodeStageTest : public EncodeJobTest, public ::testing::WithParamInterface<Stage> {
  protected:
    int Encode() { return GetParam().encode(job, env); }
};

TEST_P(EncodeStageTest, CancelLeavesNoOutputAndReturnsOneWithAbortedSet) {
    UseSource(ToneWav(44100));
    cancel.Set();
    EXPECT_EQ(Encode(), 1);
    EXPECT_TRUE(job.context.aborted);
    // The deleted file is no output: the completion list must not name it.
    EXPECT_EQ(item().outputPath, "");
    EXPECT_FALSE(std::filesystem::exists(dir / ("out/source" + std::string(GetParam().extension))));
    EXPECT_THAT(LogTexts(), Contains("用户取消操作。"));
    EXPECT_THAT(LogTexts(), Not(Contains(HasSubstr("完成"))));
    EXPECT_FALSE(cancel.IsSet()) << "the request is consumed";
}

TEST_P(EncodeStageTest, FreeSpaceEqualToAQuarterOfTheDataIsRefusedOneByteMoreIsNot) {
    UseSource(ToneWav(44100));
    const std::uint64_t estimate = 44100 * 4 / 4;
    const auto disk = [](std::uint64_t bytes) {
        return [bytes](const std::string&) { return FreeDiskSpace{true, bytes, "/mnt/music", ""}; };
    };
    env.freeSpace = disk(estimate);
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(LogTexts().back(), "错误: 磁盘 /mnt/music 没有足够的可用空间！");
    env.freeSpace = disk(estimate + 1);
    EXPECT_EQ(Encode(), 1);
    EXPECT_THAT(LogTexts().back(), HasSubstr("完成"));
}

TEST_P(EncodeStageTest, RipNamesByTheRuleAndDeletesTheTemporaryWavUnlessKept) {
    job.fileJob = false;
    item().index = 4;
    item().name = "Song";
    for (const bool keep : {false, true}) {
        job.keepWav = keep;
        job.tempWavPath = dir / "PW1234.tmp";
        WriteFile(job.tempWavPath, ToneWav(2000));
        ASSERT_EQ(Encode(), 1);
        EXPECT_EQ(item().outputPath, dir / "out/05-Song" + GetParam().extension);
        EXPECT_EQ(item().outputFolder, dir / "out");
        EXPECT_EQ(std::filesystem::exists(job.tempWavPath), keep);
    }
}

TEST_P(EncodeStageTest, AnOutputThatIsTheSourceIsRefusedBeforeItIsTruncated) {
    std::filesystem::create_directories(dir / "out");
    const std::string wav = ToneWav(2000);
    const std::string source = UseSource(wav, std::string("out/source") + GetParam().extension);
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(ReadFile(source), wav);
    EXPECT_EQ(LogTexts().back(), "错误: 不能打开文件 " + source + "！");
}

TEST_P(EncodeStageTest, AFailedWriteIsLoggedWithTheSystemsReasonAndKeepsTheSource) {
    const std::string wav = ToneWav(44100 * 5);
    const std::string source = UseSource(wav);
    // A file size limit stands in for a full disk: writes beyond it fail with EFBIG.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = Encode();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    // The output is named as the user will look for it, not as the file written beside it.
    EXPECT_EQ(LogTexts().back(), "错误: 文件操作错误，错误原因: " +
                                     (dir / ("out/source" + std::string(GetParam().extension))) +
                                     ": 文件太大！");
    EXPECT_EQ(ReadFile(source), wav);
    EXPECT_EQ(FolderListing(dir / "out"), "");
}

// A rip's encode on a disk that fills up: neither a partial output nor the temporary WAV
// is left, and a file of the same name from an earlier rip survives.
TEST_P(EncodeStageTest, AFullDiskLeavesNoOutputAndNoTemporaryWav) {
    job.fileJob = false;
    job.keepWav = false;
    item().name = "Song";
    std::filesystem::create_directories(dir / "tmp");
    job.tempWavPath = dir / "tmp/PW1234.tmp";
    WriteFile(job.tempWavPath, NoiseWav(44100 * 2));
    // The free-space test passes: the disk fills up meanwhile.
    env.freeSpace = [](const std::string&) { return FreeDiskSpace{true, 1ull << 40, "/", ""}; };
    // The rule's name for the item (index -1 is number 00).
    const std::string earlier = dir / ("out/00-Song" + std::string(GetParam().extension));
    const auto report = RunOnSmallDisk(dir / "out", 16 * 1024, [&] {
        WriteFile(earlier, "an earlier rip");
        const int result = Encode();
        return std::to_string(result) + "|" + LogTexts().back() + "|" + FolderListing(dir / "out") +
               "|" + ReadFile(earlier) + "|" + FolderListing(dir / "tmp");
    });
    if (!report)
        GTEST_SKIP() << "no user namespaces here to mount a small disk in";
    EXPECT_EQ(*report, "0|错误: 文件操作错误，错误原因: " + earlier + ": 磁盘空间已满！|00-Song" +
                           GetParam().extension + "|an earlier rip|");
}

// A source cut short while it is read (another program rewriting it) fails the encode
// with the read error: the file would otherwise end early and be taken for the track.
TEST_P(EncodeStageTest, ASourceThatShrinksWhileReadFailsTheEncode) {
    const std::string source = UseSource(ToneWav(44100 * 5));
    // The first progress message comes after a few reads; the file is cut there.
    class Truncating : public MessageTarget {
      public:
        explicit Truncating(std::string path) : path_(std::move(path)) {}
        void post(Message message) override {
            if (message.id == WM_ENCODE_PROGRESS && message.wParam < 1000)
                std::filesystem::resize_file(path_, 1000);
        }
        void send(Message message) override { post(std::move(message)); }
        using MessageTarget::post;
        using MessageTarget::send;

      private:
        std::string path_;
    } truncating(source);
    job.context.progressWindow = &truncating;
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(LogTexts().back(), "错误: 不能读取文件 " + source + "！");
    EXPECT_EQ(FolderListing(dir / "out"), "");
}

INSTANTIATE_TEST_SUITE_P(Stages, EncodeStageTest, ::testing::Values(kMp3, kOgg, kFlac, kOpus),
                         [](const auto& info) { return std::string(info.param.name); });

// Files that no stage takes: refused with their line before anything is encoded.
struct BadInput {
    const char* name;
    std::string wav;
    bool shortHeader;  // else: a format the encoders do not take
};

class BadInputTest : public EncodeJobTest,
                     public ::testing::WithParamInterface<std::tuple<Stage, BadInput>> {};

TEST_P(BadInputTest, IsRefusedWithItsLine) {
    const auto& [stage, input] = GetParam();
    const std::string source = UseSource(input.wav);
    EXPECT_EQ(stage.encode(job, env), 0);
    EXPECT_EQ(LogLines().back()[0], '[');
    EXPECT_EQ(LogTexts().back(), input.shortHeader
                                     ? "错误: 不能读取文件 " + source + "！"
                                     : "错误: 不支持文件 " + source + " 的 wave 格式！");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInputTest,
    ::testing::Combine(
        ::testing::Values(kMp3, kOgg, kFlac, kOpus),
        ::testing::Values(
            BadInput{"Short", ToneWav(0).substr(0, 43), true},
            BadInput{"EightBit",
                     RiffFile({Chunk("fmt ", FmtBody(44100, 2, 8)), Chunk("data", "ab")}), false},
            BadInput{"NotWave", std::string(100, 'x'), false},
            BadInput{"SixChannels",
                     RiffFile({Chunk("fmt ", FmtBody(44100, 6, 16)), Chunk("data", "abcd")}),
                     false})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
    });

}  // namespace
}  // namespace korvida
