#include "core/batch/DecodeMp3ToWav.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "Mp3Fixtures.h"
#include "core/audio/BinaryFile.h"
#include "core/encode/Id3Tag.h"
#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/mpegdec/MpegHeader.h"
#include "core/rip/RipJob.h"
#include "support/SmallDisk.h"

namespace korvida {
namespace {

using test::LameMp3;
using test::ReadFile;
using test::ViewWav;
using test::WavView;
using test::WriteFile;
using ::testing::HasSubstr;

// Headers lame never writes but damaged files hold: none may reach the frame-length
// table with an index it does not have.
TEST(MpegHeader, RefusesWhatHasNoFrameLength) {
    const std::uint8_t longest[4] = {0xFF, 0xFB, 0xEA, 0xC0};  // 320 kbit/s, 32 kHz, padded
    MpegHeader header;
    ASSERT_TRUE(IsDecodableHeader(longest) && ParseMpegHeader(longest, header));
    EXPECT_EQ(Layer3FrameBytes(header), 1441u);
    for (std::uint8_t third : {0xF0, 0x9C, 0x00})  // bit rate 15, reserved rate, free format
        EXPECT_FALSE(IsDecodableHeader(std::array<std::uint8_t, 4>{0xFF, 0xFB, third, 0}.data()));
    EXPECT_FALSE(IsDecodableHeader(std::array<std::uint8_t, 4>{0xFF, 0xFD, 0x90, 0}.data()));
}

// Where the frame after the first n frames begins, in a file with no tag.
std::size_t FrameBoundary(const std::string& mp3, int n) {
    std::size_t at = 0;
    MpegHeader header;
    for (int i = 0;
         i < n && ParseMpegHeader(reinterpret_cast<const std::uint8_t*>(&mp3[at]), header); ++i)
        at += Layer3FrameBytes(header);
    return at;
}

class DecodeTest : public ::testing::Test {
  protected:
    DecodeTest() {
        job.context.mainWindow = &log;
        job.context.progressWindow = &progress;
        job.context.cancelEvent = &cancel;
    }
    int Decode(const std::string& source, const DecodeOptions& options = {}) {
        return DecodeMp3ToWav(source, output, job.context, options);
    }
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (const Message& m : log.Only(WM_JOB_LOG))
            lines.push_back(m.text);
        return lines;
    }
    std::string LastLog() const { return LogLines().empty() ? "" : LogLines().back(); }

    test::TempDir dir;
    const std::string output = dir / "out.WAV";
    test::RecordingTarget log;
    test::RecordingTarget progress;
    Event cancel{false};
    RipJob job;
};

struct LameCase {
    const char* name;
    const char* options;
};

class DecodeMatchesMpg123 : public DecodeTest, public ::testing::WithParamInterface<LameCase> {};

// mpg123 without gapless trimming decodes every audio frame, as a frame-by-frame decoder
// does, and skips tags and the Xing/Info frame: the samples must be the same.
TEST_P(DecodeMatchesMpg123, SampleForSample) {
    const std::string mp3 = LameMp3(std::string(GetParam().name) + ".mp3", GetParam().options);
    ASSERT_EQ(Decode(mp3), 1) << LastLog();
    const WavView ours = ViewWav(ReadFile(output));
    const WavView theirs = test::Mpg123Decode(mp3);
    ASSERT_FALSE(theirs.data.empty());
    EXPECT_TRUE(ours.consistent);
    EXPECT_EQ(ours.channels, theirs.channels);
    EXPECT_EQ(ours.rate, theirs.rate);
    EXPECT_EQ(ours.data.size(), theirs.data.size());
    EXPECT_TRUE(ours.data == theirs.data);
}

INSTANTIATE_TEST_SUITE_P(
    LameFiles, DecodeMatchesMpg123,
    ::testing::Values(LameCase{"cbr_with_info_frame", "-b 128"},
                      LameCase{"id3v2_and_xing", "-V 4 --add-id3v2 --pad-id3v2-size 3000 --tt T"},
                      LameCase{"id3v1_at_the_end", "-b 96 --id3v1-only --tt T"},
                      LameCase{"mono", "-m m -b 64"},
                      LameCase{"mpeg2_22050", "--resample 22.05 -b 48"},
                      LameCase{"mpeg2_vbr_mono", "-m m --resample 16 -V 5"}),
    [](const auto& info) { return std::string(info.param.name); });

// Decoding starts after the ID3v2 tag and after the Xing frame behind it; and a frame
// that starts late in a block of the scan is found, not passed over for the next one.
TEST_F(DecodeTest, FirstFrameIsAfterTheTagAndTheXingFrame) {
    const std::string mp3 = LameMp3("xing.mp3", "-V 4 --add-id3v2 --pad-id3v2-size 3000 --tt T");
    const std::string bytes = ReadFile(mp3);
    BinaryFile file;
    ASSERT_TRUE(file.Open(mp3, BinaryFile::Mode::kRead));
    const std::uint64_t tag = Id3v2TagBytes(file);
    ASSERT_EQ(bytes.compare(tag + 36, 4, "Xing"), 0);
    MpegHeader xing;
    ASSERT_TRUE(ParseMpegHeader(reinterpret_cast<const std::uint8_t*>(&bytes[tag]), xing));
    EXPECT_EQ(SkipVbrInfoFrames(file, tag), tag + Layer3FrameBytes(xing));

    for (std::size_t junk : {1399, 1420, 1439, 1440, 2900}) {
        WriteFile(dir / "late.mp3", std::string(junk, 'j') + bytes.substr(tag));
        BinaryFile late;
        ASSERT_TRUE(late.Open(dir / "late.mp3", BinaryFile::Mode::kRead));
        EXPECT_EQ(SkipVbrInfoFrames(late, 0), junk + Layer3FrameBytes(xing)) << junk;
    }
}

// Damage between frames is stepped over, a look-alike header of another sample rate
// included; the frames around it decode exactly as in the undamaged file.
TEST_F(DecodeTest, GarbageBetweenFramesIsSkipped) {
    const std::string mp3 = LameMp3("clean.mp3", "-b 128 -t");
    ASSERT_EQ(Decode(mp3), 1);
    const std::string clean = ViewWav(ReadFile(output)).data;
    const std::string bytes = ReadFile(mp3);
    const std::size_t at = FrameBoundary(bytes, 20);
    const std::string garbage = std::string(700, 'x') + "\xFF\xFB\x98\x64" +
                                std::string(600, '\x11') + std::string(300, 'y');
    WriteFile(dir / "damaged.mp3", bytes.substr(0, at) + garbage + bytes.substr(at));
    ASSERT_EQ(Decode(dir / "damaged.mp3"), 1);
    const WavView out = ViewWav(ReadFile(output));
    EXPECT_TRUE(out.consistent);
    EXPECT_TRUE(out.data == clean);
}

TEST_F(DecodeTest, TruncatedFileKeepsTheWholeFramesBeforeTheCut) {
    const std::string mp3 = LameMp3("whole.mp3", "-b 128 -t");
    ASSERT_EQ(Decode(mp3), 1);
    const std::string whole = ViewWav(ReadFile(output)).data;
    WriteFile(dir / "cut.mp3", ReadFile(mp3).substr(0, FrameBoundary(ReadFile(mp3), 30) + 100));
    ASSERT_EQ(Decode(dir / "cut.mp3"), 1);
    const WavView out = ViewWav(ReadFile(output));
    EXPECT_TRUE(out.consistent);
    EXPECT_EQ(out.data.size(), 30u * 4608);
    EXPECT_EQ(whole.compare(0, out.data.size(), out.data), 0);
}

struct RefusedCase {
    const char* name;
    std::string bytes;  // "lame:OPTIONS" makes the file with lame
    const char* line;
};

class DecodeRefuses : public DecodeTest, public ::testing::WithParamInterface<RefusedCase> {};

// Nothing usable: its line, result 0 and no output file left behind.
TEST_P(DecodeRefuses, WithItsLineAndNoOutput) {
    const RefusedCase& c = GetParam();
    std::string source = dir / c.name;
    if (c.bytes.rfind("lame:", 0) == 0)
        source = LameMp3(std::string(c.name) + ".mp3", c.bytes.substr(5));
    else if (c.bytes != "missing")
        WriteFile(source, c.bytes);
    EXPECT_EQ(Decode(source), 0);
    EXPECT_THAT(LastLog(), HasSubstr(c.line));
    EXPECT_FALSE(std::filesystem::exists(output));
}

const char kBad[] = "] 坏的或不支持的 MPEG 文件。";

INSTANTIATE_TEST_SUITE_P(
    BadInput, DecodeRefuses,
    ::testing::Values(
        RefusedCase{"missing", "missing", "] 不能打开输入文件 "}, RefusedCase{"empty", "", kBad},
        RefusedCase{"wav", test::ToneWav(0.2), kBad},
        RefusedCase{"mpeg25", "lame:--resample 8 -b 16", kBad},
        RefusedCase{"free_format", "lame:--freeformat -b 80", kBad},
        RefusedCase{"id3v2_claims_200_MB",
                    std::string("ID3\x03\0\0\x60\x60\x60\x60", 10) + "\xFF\xFB\x90\x64", kBad}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DecodeTest, NeverWritesOverItsSource) {
    const std::string mp3 = LameMp3("src.mp3", "-b 64");
    const std::string before = ReadFile(mp3);
    EXPECT_EQ(DecodeMp3ToWav(mp3, mp3, job.context, {}), 0);
    EXPECT_THAT(LastLog(), HasSubstr("不能打开输出文件 " + mp3));
    EXPECT_EQ(ReadFile(mp3), before);
}

// Cancelling ends the decode with result 0; what was written is still a sound WAV.
TEST_F(DecodeTest, CancelLeavesAWellFormedPartialFile) {
    struct CancelOnProgress : test::RecordingTarget {
        Event* cancel = nullptr;
        void post(Message m) override {
            cancel->Set();
            RecordingTarget::post(std::move(m));
        }
    } canceller;
    canceller.cancel = &cancel;
    job.context.progressWindow = &canceller;
    EXPECT_EQ(Decode(LameMp3("long.mp3", "-b 128 -t")), 0);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_THAT(LastLog(), HasSubstr("] 用户已取消。"));
    const WavView out = ViewWav(ReadFile(output));
    EXPECT_TRUE(out.consistent);
    EXPECT_EQ(out.data.size(), 30u * 4608);  // right after the first progress report
}

TEST_F(DecodeTest, ReportsProgressAndNormalisesWhenAsked) {
    const std::string mp3 = LameMp3("norm.mp3", "-b 128");
    DecodeOptions options;
    options.normalize = true;
    options.normalizeRatio = 50;
    ASSERT_EQ(Decode(mp3, options), 1);
    EXPECT_EQ(progress.messages().front().id, WM_DECODE_STATUS);
    EXPECT_EQ(progress.messages().front().text, mp3);
    // 78 frames (the Info frame included): reports after 30 and 60, then 1000.
    std::vector<std::intptr_t> perMille;
    for (const Message& m : progress.Only(WM_ENCODE_PROGRESS))
        perMille.push_back(m.wParam);
    ASSERT_EQ(perMille.size(), 3u);
    EXPECT_TRUE(std::is_sorted(perMille.begin(), perMille.end()) && perMille[0] > 300);
    EXPECT_EQ(perMille.back(), 1000);
    EXPECT_THAT(LogLines(), ::testing::ElementsAre(HasSubstr("] 解码文件 " + mp3),
                                                   HasSubstr("] 解码 MPEG 文件成功！")));

    const auto samples = test::Samples(ViewWav(ReadFile(output)).data);
    const auto [lo, hi] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_EQ(std::max(-int{*lo}, int{*hi}), 16384);
    const auto status = progress.Only(WM_ITEM_STATUS);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].wParam, 1);
}

// A WAV cannot describe more than 4 GB: decoding stops at the limit rather than write
// sizes that have wrapped around.
TEST_F(DecodeTest, StopsAtTheSizeLimitOfAWav) {
    DecodeOptions options;
    options.maxDataBytes = 100001;
    ASSERT_EQ(Decode(LameMp3("limit.mp3", "-b 128"), options), 1);
    const WavView out = ViewWav(ReadFile(output));
    EXPECT_TRUE(out.consistent);
    EXPECT_EQ(out.data.size(), 100000u);
    EXPECT_THAT(LogLines(), ::testing::Contains(HasSubstr("4 GB")));
}

// A disk that fills up while decoding fails the file, and no short WAV is left to pass
// for a decoded one.
TEST_F(DecodeTest, AFullDiskFailsTheDecode) {
    const std::string mp3 = LameMp3("full.mp3", "-b 128 -t");
    // A file size limit stands in for a full disk: writes beyond it fail with EFBIG.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = Decode(mp3);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_THAT(LogLines(), ::testing::Not(::testing::Contains(HasSubstr("成功"))));
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_THAT(test::FolderListing(dir.path()), ::testing::Not(HasSubstr(".part")));
}

}  // namespace
}  // namespace korvida
