#include "core/encode/Mp3Encoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <latch>
#include <thread>

#include "EncodeTestSupport.h"
#include "support/SmallDisk.h"

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
    ASSERT_EQ(EncodeMp3(job, env), 1) << ::testing::PrintToString(LogLines());
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
    ASSERT_EQ(EncodeMp3(job, env), 1);
    const DecodedWav d = DecodeMp3(dir, item().outputPath, true);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.frames, 44100u + 123);
}

// The optional header writer around the real module: counted, and answering
// `g_vbrHeaderResult` instead when that is set.
std::atomic<int> g_vbrHeaderCalls{0};
std::atomic<BE_ERR> g_vbrHeaderResult{BE_ERR_SUCCESSFUL};
BEWRITESTREAMVBRHEADER g_realWriteVbrHeader = nullptr;
BE_ERR CountingWriteVbrHeader(HBE_STREAM stream, const char* path) {
    ++g_vbrHeaderCalls;
    const BE_ERR real = g_realWriteVbrHeader(stream, path);
    return g_vbrHeaderResult != BE_ERR_SUCCESSFUL ? g_vbrHeaderResult.load() : real;
}

TEST_F(Mp3EncodeTest, VbrHeaderIsWrittenOnlyWithVbrOnAndItsFailureFailsTheFile) {
    EncoderEntryPoints counting = library.entryPoints();
    g_realWriteVbrHeader = counting.beWriteStreamVBRHeader;
    counting.beWriteStreamVBRHeader = CountingWriteVbrHeader;
    env.encoder = &counting;
    UseSource(ToneWav(4410));
    settings.WriteVBRHeader = 1;
    for (const int vbr : {0, 1}) {
        g_vbrHeaderCalls = 0;
        settings.EnableVBR = vbr;
        ASSERT_EQ(EncodeMp3(job, env), 1);
        EXPECT_EQ(g_vbrHeaderCalls, vbr) << "EnableVBR " << vbr;
    }
    std::filesystem::remove_all(dir / "out");
    g_vbrHeaderResult = BE_ERR_INVALID_FORMAT;
    EXPECT_EQ(EncodeMp3(job, env), 0);
    g_vbrHeaderResult = BE_ERR_SUCCESSFUL;
    EXPECT_EQ(LogTexts().back(), "错误: 编码器功能 beWriteStreamVBRHeader() 失败！");
    EXPECT_EQ(FolderListing(dir / "out"), "");
}

class ConcurrentVbrHeaderTest : public EncodeJobTest, public ::testing::WithParamInterface<bool> {};

// Two files encoded at once, both streams open while either header is written: each file
// must carry its own stream's header, so that a gapless decoder trims each to its own
// length. Through the header writer that names its stream, and through the one that
// names only the file.
TEST_P(ConcurrentVbrHeaderTest, EachFileCarriesItsOwnStreamsHeader) {
    EncoderEntryPoints entryPoints = library.entryPoints();
    if (!GetParam())
        entryPoints.beWriteStreamVBRHeader = nullptr;
    env.encoder = &entryPoints;
    settings.EnableVBR = 1;
    settings.WriteVBRHeader = 1;
    // The free-space question comes right after a stream opens: neither file is encoded
    // before both streams are open.
    std::latch bothOpen(2);
    env.freeSpace = [&](const std::string&) {
        bothOpen.arrive_and_wait();
        return FreeDiskSpace{};
    };
    const std::uint32_t frames[2] = {44100 / 2 + 77, 44100 * 2 + 1234};
    RipJob jobs[2];
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        jobs[i].fileJob = jobs[i].keepWav = true;
        jobs[i].items.resize(1);
        jobs[i].current = &jobs[i].items[0];
        jobs[i].items[0].name = UseSource(ToneWav(frames[i]), std::to_string(i) + ".wav");
        threads.emplace_back([&, i] { EXPECT_EQ(EncodeMp3(jobs[i], env), 1); });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(DecodeMp3(dir, jobs[i].items[0].outputPath, true).frames, frames[i]);
}

INSTANTIATE_TEST_SUITE_P(StreamOrFileWriter, ConcurrentVbrHeaderTest, ::testing::Bool());

// The tag library reports success even when the disk filled up under it and the file came
// out cut short: the encode must notice, say so and keep nothing.
TEST_F(Mp3EncodeTest, AnId3v2TagThatTheDiskCannotHoldFailsTheFile) {
    EncoderEntryPoints filling = library.entryPoints();
    g_realWriteVbrHeader = filling.beWriteStreamVBRHeader;
    // Runs between the VBR header and the ID3v2 tag: fills what is left of the disk.
    filling.beWriteStreamVBRHeader = [](HBE_STREAM stream, const char* path) {
        const BE_ERR result = g_realWriteVbrHeader(stream, path);
        BinaryFile filler;
        const std::string block(4096, 'x');
        if (filler.Open(std::filesystem::path(path).parent_path() / "filler",
                        BinaryFile::Mode::kCreate))
            while (filler.Write(block.data(), block.size())) {
            }
        return result;
    };
    env.encoder = &filling;
    env.freeSpace = [](const std::string&) { return FreeDiskSpace{true, 1ull << 40, "/", ""}; };
    settings.EnableVBR = 1;
    settings.WriteVBRHeader = 1;
    settings.EnableID3V2 = 1;
    item().track.Title = "A title long enough to need a bigger tag than the padding";
    UseSource(ToneWav(44100));
    const auto report = RunOnSmallDisk(dir / "out", 64 * 1024, [&] {
        const int result = EncodeMp3(job, env);
        return std::to_string(result) + "|" + LogTexts().back() + "|" + FolderListing(dir / "out");
    });
    if (!report)
        GTEST_SKIP() << "no user namespaces here to mount a small disk in";
    EXPECT_EQ(*report,
              "0|错误: 不能写入文件 " + (dir / "out/source.MP3") + " 的 ID3v2 标签！|filler");
}

TEST_F(Mp3EncodeTest, HeaderOnlyWavGivesFlushAndTagsWithTheLogLinesAndMessages) {
    item().track.Title = "T";
    UseSource(ToneWav(0));
    ASSERT_EQ(EncodeMp3(job, env), 1);
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
    ASSERT_EQ(EncodeMp3(job, env), 1);
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
    EXPECT_EQ(EncodeMp3(job, env), 0);
    EXPECT_EQ(LogTexts().back(), "错误: 初始化 mp3 编码器错误！");
}

}  // namespace
}  // namespace korvida
