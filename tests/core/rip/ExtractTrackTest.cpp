#include "core/rip/ExtractTrack.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/jobs/Messages.h"
#include "core/verify/VerificationText.h"
#include "support/ExtractFixture.h"
#include "support/RipTestSupport.h"
#include "support/SmallDisk.h"

namespace korvida {
namespace {

using test::Frames;
using test::LogTexts;
using test::ReadFile;
using test::SizesOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using ExtractTest = test::ExtractFixture;

struct TrimCase {
    TrackRange track;
    int leading, trailing;
    TrackRange expected;
};

class TrimSilenceTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimSilenceTest, KeepsAtLeastOneSecondInsideTheTrack) {
    const TrimCase& c = GetParam();
    const TrackRange got = TrimSilence(c.track, c.leading, c.trailing);
    EXPECT_EQ(got.start, c.expected.start);
    EXPECT_EQ(got.end, c.expected.end);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimSilenceTest,
    ::testing::Values(TrimCase{{10000, 20000}, 20, 30, {10020, 19970}},
                      // The leading cut stops at end - 75; the end is then raised to start + 75.
                      TrimCase{{10000, 20000}, 9990, 30, {19925, 20000}},
                      TrimCase{{10000, 20000}, 0, 20000, {10000, 10075}},
                      // Short tracks are kept whole instead of growing into the next track.
                      TrimCase{{10, 50}, 0, 0, {10, 50}}, TrimCase{{10, 85}, 5, 5, {10, 85}},
                      TrimCase{{10, 86}, 5, 5, {11, 86}},
                      // Negative counts from a hand-edited Settings.ini cut nothing.
                      TrimCase{{1000, 2000}, -100, -5, {1000, 2000}}));

TEST_F(ExtractTest, WritesTheTrackFramesBehindACompleteHeaderAndLogsBothEnds) {
    InsertDisc({0, 300}, 700);
    ASSERT_EQ(Extract(300, 700, 1), 1);

    EXPECT_EQ(job.items[0].outputPath, dir / "out/02.WAV");
    EXPECT_EQ(job.items[0].outputFolder, dir / "out/");
    const std::string wav = Output();
    EXPECT_EQ(wav.size(), 44u + 400 * 2352);
    EXPECT_EQ(SizesOf(wav).data, 400u * 2352);
    EXPECT_EQ(SizesOf(wav).riff, 400u * 2352 + 36);
    EXPECT_TRUE(wav.substr(44) == Frames(300, 400));
    EXPECT_THAT(LogTexts(log), ElementsAre("正在抓取 Track 2 ...", "抓取 Track 2 完成！"));
    EXPECT_FALSE(job.context.aborted);

    // Progress lags one chunk and ends with 1000.
    const auto progressMessages = progress.Only(WM_EXTRACT_PROGRESS);
    ASSERT_GE(progressMessages.size(), 2u);
    EXPECT_EQ(progressMessages[0].wParam, 0);
    EXPECT_EQ(progressMessages[1].wParam, 26 * 1000 / 400);
    EXPECT_EQ(progressMessages.back().wParam, 1000);
}

TEST_F(ExtractTest, TrimmingReadsOnlyTheFramesThatStay) {
    InsertDisc({0, 200}, 800);
    settings.DeleteSilence = 1;
    settings.LeadingFrame = 20;
    settings.TrailingFrame = 30;
    ASSERT_EQ(Extract(200, 800), 1);
    EXPECT_EQ(job.items[0].start, 220u);
    EXPECT_EQ(job.items[0].end, 770u);
    EXPECT_TRUE(Samples() == Frames(220, 550));
}

TEST_F(ExtractTest, WarmUpReadEndsWhereTheTrackStartsOrBeginsAtZero) {
    InsertDisc({0, 10, 200}, 400);
    ASSERT_EQ(Extract(10, 200), 1);
    auto reads = test::Reads(*disc->drive);
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[0], std::make_pair(0u, 26u));
    EXPECT_EQ(reads[1], std::make_pair(10u, 26u));

    const auto before = static_cast<std::ptrdiff_t>(reads.size());
    ASSERT_EQ(Extract(200, 400), 1);
    reads = test::Reads(*disc->drive);
    reads.erase(reads.begin(), reads.begin() + before);
    EXPECT_EQ(reads[0], std::make_pair(174u, 26u));
    // Every kept frame is read once, in contiguous chunks; the last one is short.
    std::uint32_t next = 200;
    for (std::size_t i = 1; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].first, next);
        next += reads[i].second;
    }
    EXPECT_EQ(next, 400u);
    EXPECT_EQ(reads.back().second, 200u % 26);
}

class FreeSpaceTest : public ExtractTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FreeSpaceTest, TrackNeedsMoreThanItsSizeFree) {
    const bool oneByteMore = GetParam();
    InsertDisc({0}, 100);
    const std::uint64_t size = 100 * 2352;
    std::string asked;
    job.context.freeSpace = [&](const std::string& path) {
        asked = path;
        return FreeDiskSpace{true, size + (oneByteMore ? 1 : 0), "/mnt/music", {}};
    };
    EXPECT_EQ(Extract(0, 100), oneByteMore ? 1 : 0);
    EXPECT_EQ(asked, dir / "out/");
    if (oneByteMore) {
        EXPECT_EQ(Output().size(), 44 + size);
    } else {
        EXPECT_THAT(LogTexts(log), ElementsAre("错误: 磁盘 /mnt/music 没有足够的可用空间！"));
        EXPECT_FALSE(std::filesystem::exists(dir / "out/01.WAV"));
        EXPECT_TRUE(test::Reads(*disc->drive).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(EqualOrOneMore, FreeSpaceTest, ::testing::Bool());

class ReadErrorTest : public ExtractTest, public ::testing::WithParamInterface<bool> {};

// Frame 100 is unreadable: it lies in the chunk 78..103 of a track starting at 0.
TEST_P(ReadErrorTest, SkipErrorDecidesBetweenAShorterFileAndAFailure) {
    const bool skip = GetParam();
    settings.BoolSkipError = skip;
    InsertDisc({0}, 300);
    disc->drive->faults().unreadable = {{100, 1}};
    std::filesystem::create_directories(dir / "out");
    test::WriteFile(dir / "out/01.WAV", "an earlier rip");
    EXPECT_EQ(Extract(0, 300), skip ? 1 : 0);

    const std::vector<std::string> lines = LogTexts(log);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_THAT(lines[1], HasSubstr("错误: "));
    EXPECT_THAT(lines[1], HasSubstr("！"));
    const std::string wav = ReadFile(dir / "out/01.WAV");
    if (skip) {
        EXPECT_EQ(lines.back(), "抓取 Track 1 完成！");
        EXPECT_TRUE(wav.substr(44) == Frames(0, 78) + Frames(104, 196));
        EXPECT_EQ(SizesOf(wav).data, 274u * 2352);
        // A track with a hole is never reported as checked whole.
        EXPECT_FALSE(job.items[0].verification.checked);
        EXPECT_EQ(job.items[0].verification.skippedSectors, std::vector<std::uint32_t>{78});
    } else {
        EXPECT_EQ(lines.size(), 2u);
        // No half-made WAV, and the file that had the name is untouched.
        EXPECT_EQ(wav, "an earlier rip");
        EXPECT_EQ(test::FolderListing(dir / "out"), "01.WAV");
        EXPECT_TRUE(job.items[0].outputPath.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(SkipOffOn, ReadErrorTest, ::testing::Bool());

TEST_F(ExtractTest, FailedWarmUpReadStopsTheTrackUnlessErrorsAreSkipped) {
    InsertDisc({0, 100}, 300);
    disc->drive->faults().unreadable = {{80, 1}};  // before the track, inside the warm-up
    EXPECT_EQ(Extract(100, 300), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/01.WAV"));

    settings.BoolSkipError = 1;
    EXPECT_EQ(Extract(100, 300), 1);
    EXPECT_TRUE(Samples() == Frames(100, 200));
}

std::string OneFrameDisc(const std::vector<std::int16_t>& samples, std::uint32_t frames);

class CancelTest : public ExtractTest, public ::testing::WithParamInterface<bool> {};

// Cancel before the first chunk: the kept WAV is a well-formed empty file; a temporary
// one is deleted.
TEST_P(CancelTest, BeforeTheFirstChunk) {
    job.keepWav = GetParam();
    InsertDisc({0}, 200);
    cancel.Set();
    EXPECT_EQ(Extract(0, 200), 1);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_FALSE(cancel.IsSet());
    EXPECT_THAT(LogTexts(log), ElementsAre("正在抓取 Track 1 ...", "用户取消操作。"));
    if (job.keepWav) {
        const std::string wav = Output();
        EXPECT_EQ(wav.size(), 44u);
        EXPECT_EQ(SizesOf(wav).riff, 36u);
        EXPECT_EQ(SizesOf(wav).data, 0u);
    } else {
        EXPECT_THAT(job.tempWavPath, HasSubstr(dir / "tmp/PW"));
        EXPECT_FALSE(std::filesystem::exists(job.tempWavPath));
        EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
    }
}

// Cancel after the third chunk: the file holds exactly the chunks read.
TEST_P(CancelTest, InTheMiddleKeepsTheFramesRead) {
    job.keepWav = GetParam();
    InsertDisc({0}, 500);
    int chunks = 0;
    progress.onMessage = [&](const Message& m) {
        if (m.id == WM_EXTRACT_PROGRESS && ++chunks == 3)
            cancel.Set();
    };
    EXPECT_EQ(Extract(0, 500), 1);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_THAT(LogTexts(log), Not(Contains("抓取 Track 1 完成！")));
    if (job.keepWav) {
        EXPECT_TRUE(Samples() == Frames(0, 78));
        EXPECT_EQ(SizesOf(Output()).data, 78u * 2352);
    } else {
        EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
    }
}

// Cancel while the finished file is normalised: the track is cancelled all the same, so
// a temporary file does not outlive the job.
TEST_P(CancelTest, DuringTheGainPassEndsTheTrackAsCancelled) {
    job.keepWav = GetParam();
    settings.Normalize = 1;
    InsertDisc({0}, 100, OneFrameDisc({1000, -1000}, 100));
    progress.onMessage = [&](const Message& m) {
        if (m.id == WM_ITEM_STATUS && m.wParam == 1)
            cancel.Set();
    };
    EXPECT_EQ(Extract(0, 100), 1);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_THAT(LogTexts(log), Not(Contains("抓取 Track 1 完成！")));
    if (job.keepWav)
        EXPECT_EQ(SizesOf(Output()).data, 100u * 2352);
    else
        EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

INSTANTIATE_TEST_SUITE_P(TemporaryOrKept, CancelTest, ::testing::Bool());

TEST_F(ExtractTest, TemporaryFileIsAPwFileInTheTemporaryFolderAndStaysForTheEncoder) {
    job.keepWav = false;
    InsertDisc({0}, 100);
    ASSERT_EQ(Extract(0, 100), 1);
    EXPECT_EQ(std::filesystem::path(job.tempWavPath).parent_path(), dir / "tmp");
    EXPECT_THAT(std::filesystem::path(job.tempWavPath).filename().string(),
                ::testing::MatchesRegex("PW.*\\.tmp"));
    EXPECT_TRUE(ReadFile(job.tempWavPath).substr(44) == Frames(0, 100));
    EXPECT_TRUE(job.items[0].outputPath.empty());
}

// A disk that fills up meanwhile (the free-space test said there was room): a file error
// naming the file, in words the user reads, and nothing left on that disk.
TEST_F(ExtractTest, FullDiskIsAFileErrorNamingTheFileAndLeavesNothing) {
    InsertDisc({0}, 100);
    job.context.freeSpace = [](const std::string&) {
        return FreeDiskSpace{true, 1ull << 40, "/", {}};
    };
    const auto report = test::RunOnSmallDisk(dir / "out", 16 * 1024, [&] {
        const int result = Extract(0, 100);
        return std::to_string(result) + "|" + LogTexts(log).back() + "|" +
               test::FolderListing(dir / "out");
    });
    if (!report)
        GTEST_SKIP() << "no user namespaces here to mount a small disk in";
    EXPECT_EQ(*report,
              "0|错误: 文件操作错误，错误原因: " + (dir / "out/01.WAV") + ": 磁盘空间已满！|");
}

// However a track fails, its temporary file goes: none is left for nobody to delete.
TEST_F(ExtractTest, FailedTracksLeaveNoTemporaryFile) {
    job.keepWav = false;
    InsertDisc({0, 100}, 300);
    job.context.freeSpace = [](const std::string&) {
        return FreeDiskSpace{true, 1000, "/mnt", {}};
    };
    EXPECT_EQ(Extract(100, 300), 0);  // no room
    job.context.freeSpace = nullptr;
    disc->drive->faults().unreadable = {{80, 1}};
    EXPECT_EQ(Extract(100, 300), 0);  // the warm-up read
    disc->drive->faults().unreadable = {{200, 1}};
    EXPECT_EQ(Extract(100, 300), 0);  // a read in the middle
    EXPECT_THAT(LogTexts(log),
                ElementsAre("错误: 磁盘 /mnt 没有足够的可用空间！", HasSubstr("错误: "),
                            "正在抓取 Track 1 ...", HasSubstr("错误: ")));
    EXPECT_EQ(test::FolderListing(dir / "tmp"), "");
}

TEST_F(ExtractTest, TemporaryFolderThatDoesNotExistFailsBeforeReading) {
    job.keepWav = false;
    InsertDisc({0}, 100);
    settings.TEMPDIRECTORY = dir / "missing";
    EXPECT_EQ(Extract(0, 100), 0);
    ASSERT_EQ(LogTexts(log).size(), 1u);
    EXPECT_THAT(LogTexts(log)[0], HasSubstr("错误: 不能打开临时文件 " + (dir / "missing/")));
    EXPECT_TRUE(test::Reads(*disc->drive).empty());
}

// A disc of one frame of chosen samples, repeated; the rest of the frame is silence.
std::string OneFrameDisc(const std::vector<std::int16_t>& samples, std::uint32_t frames) {
    std::string frame = test::PcmBytes(samples);
    frame.resize(2352, '\0');
    std::string bin;
    for (std::uint32_t i = 0; i < frames; ++i)
        bin += frame;
    return bin;
}

struct GainCase {
    std::vector<std::int16_t> in;
    std::vector<std::int16_t> out;
};

class NormalizeTest : public ExtractTest, public ::testing::WithParamInterface<GainCase> {};

// The peak is found while reading; one gain pass follows.
TEST_P(NormalizeTest, ScalesTheRippedFileToTheRatio) {
    const GainCase& c = GetParam();
    settings.Normalize = 1;
    settings.NormalizeRatio = 95;
    InsertDisc({0}, 60, OneFrameDisc(c.in, 60));
    ASSERT_EQ(Extract(0, 60), 1);
    const std::vector<std::int16_t> got = test::Samples(Samples().substr(0, c.out.size() * 2));
    EXPECT_EQ(got, c.out);
    EXPECT_EQ(Samples().size(), 60u * 2352);
    const auto status = progress.Only(WM_ITEM_STATUS);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].wParam, 1);
    EXPECT_EQ(status[0].text, job.items[0].outputPath);
}

INSTANTIATE_TEST_SUITE_P(
    Peaks, NormalizeTest,
    ::testing::Values(
        // Peak 16384: gain 1.89994, results truncated toward zero after + 0.5.
        GainCase{{16384, -1000, 1000, 0}, {31129, -1899, 1900, 0}},
        // Lowest -32768 with highest 20000: peak 32768, no sample changes sign.
        GainCase{{-32768, 20000, -1, 1}, {-31128, 18999, 0, 1}},
        // Digital silence: peak 0, nothing changes.
        GainCase{{0, 0, 0, 0}, {0, 0, 0, 0}}));

// The disc's bytes from sample `first` on, zeros outside the disc.
std::string DiscSamples(const std::string& disc, std::int64_t first, std::size_t samples) {
    std::string bytes(samples * 4, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::int64_t at = first * 4 + static_cast<std::int64_t>(i);
        if (at >= 0 && at < static_cast<std::int64_t>(disc.size()))
            bytes[i] = disc[static_cast<std::size_t>(at)];
    }
    return bytes;
}

class ReadOffsetTest : public ExtractTest, public ::testing::WithParamInterface<int> {};

// Three tracks read through a drive with the offset, corrected by the same figure: the
// disc's own bytes, but for the samples the drive cannot reach at the disc's edges.
TEST_P(ReadOffsetTest, CorrectingTheDrivesOffsetGivesTheDiscsBytes) {
    const int offset = GetParam();
    InsertDisc({0, 300, 650}, 1000);
    const std::string image = Frames(0, 1000);
    disc->drive->SetReadOffset(offset);

    // Uncorrected, the drive's answers are shifted: the simulation is at work.
    ASSERT_EQ(Extract(300, 650, 1), 1);
    EXPECT_TRUE(Samples() == DiscSamples(image, 300 * 588 - offset, 350 * 588));

    settings.ReadOffset = offset;
    const std::uint32_t edge = static_cast<std::uint32_t>(std::abs(offset));
    for (const auto& [start, end] : {std::pair{0u, 300u}, {300u, 650u}, {650u, 1000u}}) {
        log.Clear();
        ASSERT_EQ(Extract(start, end, start / 300), 1);
        std::string expected = Frames(start, end - start);
        std::uint32_t zeros = 0;
        if (offset < 0 && start == 0)
            zeros = edge, std::fill_n(expected.begin(), edge * 4, '\0');
        if (offset > 0 && end == 1000)
            zeros = edge, std::fill_n(expected.end() - edge * 4, edge * 4, '\0');
        EXPECT_TRUE(Samples() == expected) << start;
        EXPECT_EQ(job.items[0].verification.offsetZeroSamples, zeros);
        const std::string line = "读取偏移 " + std::string(offset > 0 ? "+" : "") +
                                 std::to_string(offset) + ": " + std::to_string(edge) +
                                 " 个采样在光盘之外，以零填充。";
        const std::vector<std::string> lines = LogTexts(log);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), zeros ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(PlusAndMinus, ReadOffsetTest, ::testing::Values(667, -1164));

// A data track after the audio is as unreadable to an audio read as the lead-out.
TEST_F(ExtractTest, ReadOffsetStopsAtADataTrack) {
    InsertDisc({0, 300}, 600);
    test::WriteFile(dir / "disc.cue",
                    "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n"
                    "    INDEX 01 00:00:00\n  TRACK 02 MODE1/2352\n"
                    "    INDEX 01 00:04:00\n");
    disc = std::make_unique<test::DriverOnImage>(dir / "disc.cue");
    job.driver = disc->driver.get();
    disc->drive->SetReadOffset(30);
    settings.ReadOffset = 30;
    ASSERT_EQ(Extract(0, 300), 1);
    std::string expected = Frames(0, 300);
    std::fill_n(expected.end() - 30 * 4, 30 * 4, '\0');
    EXPECT_TRUE(Samples() == expected);
    EXPECT_EQ(job.items[0].verification.offsetZeroSamples, 30u);
}

// An audio read that reaches a data track or the lead-out fails: the warm-up before a
// track after a data track, and on a disc shorter than the buffer, stays inside the audio.
TEST_F(ExtractTest, WarmUpStaysInsideTheAudio) {
    test::WriteFile(dir / "data.bin", std::string(100 * 2352, 'Z'));
    test::WriteFile(dir / "audio.bin", Frames(0, 200));
    test::WriteFile(dir / "mixed.cue",
                    "FILE \"data.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
                    "FILE \"audio.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n");
    disc = std::make_unique<test::DriverOnImage>(dir / "mixed.cue");
    disc->drive->SetRecording(true);
    job.driver = disc->driver.get();
    ASSERT_EQ(Extract(100, 300, 1), 1);
    EXPECT_EQ(test::Reads(*disc->drive).front(), std::make_pair(100u, 26u));
    EXPECT_TRUE(Samples() == Frames(0, 200));

    InsertDisc({0}, 12);
    ASSERT_EQ(Extract(0, 12), 1);
    EXPECT_EQ(test::Reads(*disc->drive).front(), std::make_pair(0u, 12u));
    EXPECT_TRUE(Samples() == Frames(0, 12));
}

// On an enhanced CD the offset reads past the last audio track reach the first session's
// lead-out, which a drive cannot read: zeros, as past the disc's lead-out.
TEST_F(ExtractTest, ReadOffsetStopsWhereTheAudioSessionEnds) {
    test::WriteFile(dir / "audio.bin", Frames(0, 300));
    test::WriteFile(dir / "data.bin", std::string(100 * 2352, 'Z'));
    test::WriteFile(dir / "enhanced.cue",
                    "FILE \"audio.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                    "REM SESSION 02\nFILE \"data.bin\" BINARY\n  TRACK 02 MODE1/2352\n"
                    "    PREGAP 02:32:00\n    INDEX 01 00:00:00\n");
    disc = std::make_unique<test::DriverOnImage>(dir / "enhanced.cue");
    job.driver = disc->driver.get();
    disc->drive->SetReadOffset(30);
    settings.ReadOffset = 30;
    ASSERT_EQ(Extract(0, 300), 1);
    EXPECT_EQ(job.items[0].verification.offsetZeroSamples, 30u);
}

class TestAndCopyTest : public ExtractTest, public ::testing::WithParamInterface<int> {};

// Frames 100-102 read wrong, differently each time, for the first `altered` reads.
TEST_P(TestAndCopyTest, ReReadsUntilTwoReadsAgreeAndKeepsTheAgreedBytes) {
    const int altered = GetParam();
    InsertDisc({0}, 300);
    disc->drive->faults().altered = {{100, 3, altered}};
    settings.TestAndCopy = 1;
    ASSERT_EQ(Extract(0, 300), 1);

    EXPECT_TRUE(Samples() == Frames(0, 300));
    const TrackVerification& v = job.items[0].verification;
    EXPECT_TRUE(v.tested);
    EXPECT_FALSE(v.suspicious);
    EXPECT_EQ(v.rereads, altered);
    EXPECT_EQ(v.readCrcs.size(), 2u + static_cast<std::size_t>(altered));
    EXPECT_EQ(v.copyCrc, v.readCrcs.back());
    // Read 2 agrees with the test read; after one altered read, the re-read with the
    // copy; after two, the second re-read with the first.
    EXPECT_EQ(v.agreedWith, altered == 0 ? 0 : altered == 1 ? 1 : 2);
    EXPECT_EQ(v.testCrc == v.copyCrc, altered == 0);
    EXPECT_EQ(VerificationText(v), "");

    const std::vector<std::string> lines = LogTexts(log);
    if (altered == 0) {
        EXPECT_THAT(lines, Contains(HasSubstr("测试与复制: 两次读取一致 (CRC32 ")));
    } else {
        EXPECT_THAT(lines, Contains(HasSubstr(") 不一致，重新读取。")));
        EXPECT_THAT(lines, Contains(HasSubstr("测试与复制: 第 " + std::to_string(altered + 2) +
                                              " 次读取与第 " + std::to_string(v.agreedWith + 1) +
                                              " 次读取一致")));
    }
    EXPECT_THAT(lines, Not(Contains(HasSubstr("可疑"))));
}

INSTANTIATE_TEST_SUITE_P(AlteredReads, TestAndCopyTest, ::testing::Values(0, 1, 2));

// Only the copy read goes wrong: the re-read agrees with the test read, not the copy.
TEST_F(ExtractTest, TestAndCopyReReadMayAgreeWithTheTestRead) {
    InsertDisc({0}, 300);
    settings.TestAndCopy = 1;
    bool armed = false;
    progress.onMessage = [&](const Message& m) {
        if (m.id == WM_EXTRACT_PROGRESS && m.wParam == 500 && !armed) {  // the copy's first chunk
            disc->drive->faults().altered = {{100, 3, 1}};
            armed = true;
        }
    };
    ASSERT_EQ(Extract(0, 300), 1);
    const TrackVerification& v = job.items[0].verification;
    EXPECT_EQ(v.rereads, 1);
    EXPECT_EQ(v.agreedWith, 0);
    EXPECT_EQ(v.testCrc, v.copyCrc);
    EXPECT_THAT(LogTexts(log), Contains(HasSubstr("第 3 次读取与第 1 次读取一致")));
    EXPECT_TRUE(Samples() == Frames(0, 300));
}

TEST_F(ExtractTest, TestAndCopyMarksATrackWhoseReadsNeverAgreeSuspicious) {
    InsertDisc({0}, 300);
    disc->drive->faults().altered = {{100, 3, VirtualDriveFaults::Altered::kAlways}};
    settings.TestAndCopy = 1;
    settings.RetryTimes = 3;
    ASSERT_EQ(Extract(0, 300), 1);

    const TrackVerification& v = job.items[0].verification;
    EXPECT_TRUE(v.suspicious);
    EXPECT_EQ(v.rereads, 3);
    EXPECT_EQ(v.agreedWith, -1);
    EXPECT_THAT(VerificationText(v), testing::StartsWith("可疑"));
    EXPECT_THAT(LogTexts(log),
                Contains("可疑: Track 1 的 5 次读取互不一致，文件保存的是最后一次读取！"));
    // Five whole reads of the track, after the warm-up; the file holds the last.
    std::uint32_t frames = 0;
    for (const auto& read : test::Reads(*disc->drive))
        frames += read.second;
    EXPECT_EQ(frames, 26u + 5 * 300);
    EXPECT_EQ(Samples().size(), 300u * 2352);
    EXPECT_FALSE(Samples() == Frames(0, 300));
}

}  // namespace
}  // namespace korvida

namespace korvida {
namespace {

class CachedMisreadTest : public ExtractTest, public ::testing::WithParamInterface<bool> {};

// The test read misreads frames 100-102 once, and the drive keeps what it read in its
// cache: a copy answered from there would agree with the misread and the file would hold
// it as confirmed. FUA where the drive takes it, else reads far away push the frames out.
TEST_P(CachedMisreadTest, IsNotPassedAsAGoodSecondRead) {
    const bool fuaRefused = GetParam();
    InsertDisc({0, 300}, 1000);
    VirtualDriveFaults& faults = disc->drive->faults();
    faults.altered = {{100, 3, 1}};
    faults.cacheFrames = 300;
    faults.rejectsFua = fuaRefused;
    settings.TestAndCopy = 1;
    ASSERT_EQ(Extract(0, 300), 1);

    const TrackVerification& v = job.items[0].verification;
    EXPECT_TRUE(Samples() == Frames(0, 300));
    EXPECT_NE(v.testCrc, v.copyCrc);
    EXPECT_EQ(v.rereads, 1);
    EXPECT_EQ(v.agreedWith, 1);
    EXPECT_EQ(v.cacheDefeat, fuaRefused ? CacheDefeat::kFarRead : CacheDefeat::kFua);
}

INSTANTIATE_TEST_SUITE_P(FuaHonouredOrRefused, CachedMisreadTest, ::testing::Bool());

}  // namespace
}  // namespace korvida
