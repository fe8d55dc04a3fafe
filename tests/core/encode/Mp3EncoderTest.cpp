#include "core/encode/Mp3Encoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "EncodeTestSupport.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// mpg123 with every decoded sample kept (no gapless trimming), or trimmed by the LAME tag.
DecodedWav DecodeMp3(const TempDir& dir, const std::string& mp3, bool gapless) {
    const std::string wav = dir / "decoded.wav";
    RunCommand("mpg123 -q " + std::string(gapless ? "" : "--no-gapless ") + "-w '" + wav + "' '" +
               mp3 + "' 2>/dev/null");
    return ReadDecodedWav(wav);
}

// Input formats the MP3 path passes on with their own rate and channel count.
struct FormatCase {
    std::uint16_t channels;
    std::uint32_t rate;
    int stereoMode;
    std::uint32_t samplesPerFrame;  // MPEG-1 1152, MPEG-2 576
};

class Mp3FormatTest : public EncodeJobTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(Mp3FormatTest, DecodesAtTheSourceRateAndChannelsToTheSourceLength) {
    const FormatCase& c = GetParam();
    settings.StereoMode = c.stereoMode;
    const std::uint32_t frames = c.rate;  // one second
    UseSource(ToneWav(frames, c.channels, c.rate));
    ASSERT_EQ(EncodeWavToMp3(job, env), 1) << ::testing::PrintToString(LogLines());
    EXPECT_EQ(item().outputPath, dir / "out/source.MP3");

    const DecodedWav d = DecodeMp3(dir, item().outputPath, false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.format.sampleRate, c.rate);
    EXPECT_EQ(d.format.channels, c.channels);
    // Every sample, after LAME's 576-sample delay, padded to whole frames; the flush
    // adds at most one frame more than needed.
    const std::uint64_t needed = frames + 576;
    const std::uint64_t wholeFrames = (needed + c.samplesPerFrame - 1) / c.samplesPerFrame;
    EXPECT_GE(d.frames, wholeFrames * c.samplesPerFrame);
    EXPECT_LE(d.frames, (wholeFrames + 1) * c.samplesPerFrame);
}

INSTANTIATE_TEST_SUITE_P(Formats, Mp3FormatTest,
                         ::testing::Values(FormatCase{2, 44100, 0, 1152},
                                           FormatCase{1, 44100, 1, 1152},  // mono stays mono
                                           FormatCase{2, 48000, 1, 1152},
                                           FormatCase{2, 22050, 2, 576}));

class Mp3EncodeTest : public EncodeJobTest {};

TEST_F(Mp3EncodeTest, VbrHeaderLetsADecoderTrimToTheExactLength) {
    settings.EnableVBR = 1;
    settings.WriteVBRHeader = 1;
    item().track.Title = "月亮代表我的心";  // an ID3v2 tag in front of the header frame
    UseSource(ToneWav(44100 + 123));
    ASSERT_EQ(EncodeWavToMp3(job, env), 1);
    const DecodedWav d = DecodeMp3(dir, item().outputPath, true);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.frames, 44100u + 123);
}

// Counts the calls of the optional entry point around the real module.
std::atomic<int> g_vbrHeaderCalls{0};
BEWRITEVBRHEADER g_realWriteVbrHeader = nullptr;
BE_ERR CountingWriteVbrHeader(const char* path) {
    ++g_vbrHeaderCalls;
    return g_realWriteVbrHeader(path);
}

TEST_F(Mp3EncodeTest, VbrHeaderIsWrittenOnlyWithVbrOn) {
    EncoderEntryPoints counting = library.entryPoints();
    g_realWriteVbrHeader = counting.beWriteVBRHeader;
    counting.beWriteVBRHeader = CountingWriteVbrHeader;
    env.encoder = &counting;
    UseSource(ToneWav(4410));
    settings.WriteVBRHeader = 1;
    for (const int vbr : {0, 1}) {
        g_vbrHeaderCalls = 0;
        settings.EnableVBR = vbr;
        ASSERT_EQ(EncodeWavToMp3(job, env), 1);
        EXPECT_EQ(g_vbrHeaderCalls, vbr) << "EnableVBR " << vbr;
    }
}

TEST_F(Mp3EncodeTest, HeaderOnlyWavGivesFlushAndTagsWithTheLogLinesAndMessages) {
    item().track.Title = "T";
    UseSource(ToneWav(0));
    ASSERT_EQ(EncodeWavToMp3(job, env), 1);
    const std::string mp3 = ReadFile(item().outputPath);
    ASSERT_GE(mp3.size(), 128u + 10);
    EXPECT_EQ(mp3.substr(0, 3), "ID3");
    EXPECT_EQ(mp3.substr(mp3.size() - 128, 3), "TAG");
    EXPECT_THAT(LogTexts(),
                ElementsAre("正在编码 " + item().name + " ...", "编码 " + item().name + " 完成！"));
    EXPECT_EQ(LogLines()[0][0], '(');
    const auto status = progress.Only(WM_ENCODE_STATUS);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].wParam, 0);
    EXPECT_EQ(status[0].text, item().name);
    ASSERT_FALSE(progress.Only(WM_ENCODE_PROGRESS).empty());
    EXPECT_EQ(progress.Only(WM_ENCODE_PROGRESS).back().wParam, 1000);
}

TEST_F(Mp3EncodeTest, ProgressRisesToAThousandWithoutOvershooting) {
    UseSource(ToneWav(1152 * 25 + 7));
    ASSERT_EQ(EncodeWavToMp3(job, env), 1);
    const auto steps = progress.Only(WM_ENCODE_PROGRESS);
    ASSERT_EQ(steps.size(), 3u);  // after chunks 10 and 20, and the end
    EXPECT_EQ(steps[0].wParam, 1152 * 10 * 1000 / (1152 * 25 + 7));
    EXPECT_LT(steps[1].wParam, 1000);
    EXPECT_EQ(steps[2].wParam, 1000);
}

TEST_F(Mp3EncodeTest, WithoutAnEncoderEveryFileFailsAtInitialisation) {
    const EncoderEntryPoints unbound;
    env.encoder = &unbound;
    UseSource(ToneWav(100));
    EXPECT_EQ(EncodeWavToMp3(job, env), 0);
    EXPECT_EQ(LogTexts().back(), "错误: 初始化 mp3 编码器错误！");
}

}  // namespace
}  // namespace korvida
