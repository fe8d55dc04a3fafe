#include "core/audio/Normalisation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using test::CdWav;
using test::Chunk;
using test::FmtBody;
using test::PcmBytes;
using test::ReadFile;
using test::RecordingTarget;
using test::RiffFile;
using test::RunCommand;
using test::TempDir;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;

constexpr std::size_t kBlockSamples = kNormaliseBlockBytes / 2;

struct ScaleCase {
    int ratio;
    int peak;
    std::int16_t sample;
    std::int16_t expected;
};

class ScaleSampleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleSampleTest, TruncatesTowardZeroAfterAddingOneHalf) {
    const ScaleCase& c = GetParam();
    const auto gain = NormalizeGain(c.ratio, c.peak);
    ASSERT_TRUE(gain);
    EXPECT_EQ(ScaleSample(c.sample, *gain), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Gains, ScaleSampleTest,
    ::testing::Values(ScaleCase{95, 16384, -1000, -1899},  // -1899.44 truncated
                      ScaleCase{95, 16384, 1000, 1900},    // 1900.44 truncated
                      ScaleCase{95, 32768, -32768, -31128}, ScaleCase{95, 32768, 20000, 18999},
                      ScaleCase{95, 32768, -1, 0},  // -0.45: a sample may reach 0, never flip
                      ScaleCase{100, 32767, 32767, 32767},
                      // Ratios beyond 100 are refused by the settings; should one reach
                      // here, full-scale samples stay at the limits instead of wrapping.
                      ScaleCase{200, 16384, 32000, 32767}, ScaleCase{200, 16384, -32000, -32768}));

TEST(PeakMeterTest, PeakIsTheLargerMagnitudeWithMinimumAndMaximumStartingAtZero) {
    struct Case {
        std::vector<std::int16_t> samples;
        int peak;
    };
    for (const Case& c : {Case{{-32768, 20000}, 32768}, Case{{0, 0, 0}, 0},
                          Case{{100, 200, 300}, 300}, Case{{-5, -7, -3}, 7}}) {
        PeakMeter meter;
        const std::string pcm = PcmBytes(c.samples);
        meter.Update(reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size());
        EXPECT_EQ(meter.Peak(), c.peak);
    }
    EXPECT_FALSE(NormalizeGain(95, 0)) << "a silent file has no gain";
}

// A test file: `blocks` normalisation blocks of a slow ramp with a known peak.
std::vector<std::int16_t> Ramp(std::size_t samples, std::int16_t peak) {
    std::vector<std::int16_t> out(samples);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] =
            static_cast<std::int16_t>(std::lround(peak * std::sin(static_cast<double>(i) * 0.001)));
    return out;
}

class NormaliseFileTest : public ::testing::Test {
  protected:
    NormaliseFileTest() {
        job.context.progressWindow = &progress;
        job.context.mainWindow = &log;
        job.context.cancelEvent = &cancel;
        job.fileJob = job.keepWav = true;
    }

    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (const Message& m : log.Only(WM_JOB_LOG))
            lines.push_back(m.text);
        return lines;
    }

    TempDir dir;
    RecordingTarget progress;
    RecordingTarget log;
    Event cancel{false};
    RipJob job;
};

TEST_F(NormaliseFileTest, LoudestSampleReachesTheRatioAsAnIndependentToolMeasuresIt) {
    const std::string path = dir / "quiet.wav";
    WriteFile(path, CdWav(Ramp(10 * kBlockSamples + 100, 8000)));
    ASSERT_TRUE(NormaliseFile(path, job.context, 95));
    // sox reports the maximum amplitude as a fraction of full scale.
    const std::string stat = RunCommand("sox '" + path + "' -n stat 2>&1");
    const auto at = stat.find("Maximum amplitude:");
    ASSERT_NE(at, std::string::npos) << stat;
    EXPECT_NEAR(std::stod(stat.substr(at + 18)), 0.95, 0.0001);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(NormaliseFileTest, SilentAndEmptyFilesAreLeftExactlyAsTheyAre) {
    for (const std::string& bytes :
         {CdWav(std::vector<std::int16_t>(3 * kBlockSamples, 0)), CdWav({})}) {
        const std::string path = dir / "silent.wav";
        WriteFile(path, bytes);
        EXPECT_TRUE(NormaliseFile(path, job.context, 95));
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

TEST_F(NormaliseFileTest, ChunksAroundTheSamplesAreNeitherMeasuredNorRewritten) {
    // A loud tag chunk before and after the samples: if either were taken for samples it
    // would set the peak (no scaling at all) or be scaled itself.
    const std::string loud(200, '\x7f');
    const std::vector<std::int16_t> samples = Ramp(kBlockSamples + 10, 1000);
    const std::string original =
        RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)), Chunk("LIST", loud),
                  Chunk("data", PcmBytes(samples)), Chunk("LIST", loud)});
    const std::string path = dir / "tagged.wav";
    WriteFile(path, original);
    ASSERT_TRUE(NormaliseFile(path, job.context, 50));

    const std::string after = ReadFile(path);
    ASSERT_EQ(after.size(), original.size());
    const std::size_t dataAt = 12 + 24 + 208 + 8;
    const std::size_t dataBytes = samples.size() * 2;
    EXPECT_EQ(after.substr(0, dataAt), original.substr(0, dataAt));
    EXPECT_EQ(after.substr(dataAt + dataBytes), original.substr(dataAt + dataBytes));
    const std::vector<std::int16_t> scaled = test::Samples(after.substr(dataAt, dataBytes));
    EXPECT_EQ(*std::max_element(scaled.begin(), scaled.end()), 16384);  // 0.5 × 32767, rounded
}

TEST_F(NormaliseFileTest, ProgressFollowsTheBlockCadenceOfEachPass) {
    const std::string path = dir / "hundred.wav";
    WriteFile(path, CdWav(Ramp(100 * kBlockSamples, 1000)));
    ASSERT_TRUE(NormaliseFile(path, job.context, 95));

    std::vector<std::intptr_t> perMille;
    std::vector<std::intptr_t> status;
    for (const Message& m : progress.messages()) {
        if (m.id == WM_EXTRACT_PROGRESS)
            perMille.push_back(m.wParam);
        if (m.id == WM_ITEM_STATUS) {
            status.push_back(m.wParam);
            EXPECT_EQ(m.text, path);
            perMille.push_back(-1);  // marks where the status came
        }
    }
    // Peak pass every 50th block, gain pass every 30th, then the end.
    EXPECT_THAT(perMille, ElementsAre(-1, 500, 1000, -1, 300, 600, 900, 1000));
    EXPECT_THAT(status, ElementsAre(2, 1));
}

struct RefusedCase {
    const char* name;
    std::string bytes;      // empty: no file at all
    std::string lineStart;  // the line after its time stamp, up to the path
    std::string lineEnd;    // after the path
};

class NormaliseRefusesTest : public NormaliseFileTest,
                             public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(NormaliseRefusesTest, WithItsLogLineAndWithoutTouchingTheFile) {
    const RefusedCase& c = GetParam();
    const std::string path = dir / "in.wav";
    if (!c.bytes.empty())
        WriteFile(path, c.bytes);
    EXPECT_FALSE(NormaliseFile(path, job.context, 95));
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_THAT(LogLines()[0],
                MatchesRegex("\\[[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\] .*"));
    EXPECT_EQ(LogLines()[0].substr(22), c.lineStart + path + c.lineEnd);
    if (!c.bytes.empty()) {
        EXPECT_EQ(ReadFile(path), c.bytes);
    }
    EXPECT_FALSE(job.context.aborted);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NormaliseRefusesTest,
    ::testing::Values(RefusedCase{"Missing", "", "错误: 不能断开文件 ", "！"},
                      RefusedCase{"ShortHeader", std::string(43, 'R'), "错误: 不能读取文件 ", "！"},
                      RefusedCase{"Rate22050",
                                  RiffFile({Chunk("fmt ", FmtBody(22050, 2, 16)),
                                            Chunk("data", std::string(8, '\x40'))}),
                                  "错误: 不支持文件 ", " 的 wave 格式！"},
                      RefusedCase{"Mono",
                                  RiffFile({Chunk("fmt ", FmtBody(44100, 1, 16)),
                                            Chunk("data", std::string(8, '\x40'))}),
                                  "错误: 不支持文件 ", " 的 wave 格式！"},
                      // Same rate, width and channels, but not PCM (format 7, mu-law).
                      RefusedCase{"NotPcm",
                                  RiffFile({Chunk("fmt ", "\x07" + FmtBody(44100, 2, 16).substr(1)),
                                            Chunk("data", std::string(8, '\x40'))}),
                                  "错误: 不支持文件 ", " 的 wave 格式！"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST_F(NormaliseFileTest, CancelIsConsumedLoggedAndReportedAsFailure) {
    const std::string path = dir / "c.wav";
    const std::string original = CdWav(Ramp(5 * kBlockSamples, 1000));
    WriteFile(path, original);
    cancel.Set();
    EXPECT_FALSE(NormaliseFile(path, job.context, 95));
    EXPECT_TRUE(job.context.aborted);
    EXPECT_FALSE(cancel.IsSet()) << "the auto-reset event is consumed by the test";
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_THAT(LogLines()[0], MatchesRegex("\\([-0-9]{10} [:0-9]{8}\\) 用户取消操作。"));
    EXPECT_EQ(ReadFile(path), original);
}

TEST_F(NormaliseFileTest, ApplyGainScalesInPlaceAndPostsItsProgress) {
    const std::string path = dir / "g.wav";
    const std::vector<std::int16_t> samples = Ramp(60 * kBlockSamples + 2, 16384);
    WriteFile(path, CdWav(samples));
    RecordingTarget window;
    const double gain = *NormalizeGain(95, 16384);
    ASSERT_TRUE(ApplyGain(&window, path, gain, job.context));

    const std::vector<std::int16_t> after = test::Samples(ReadFile(path).substr(44));
    ASSERT_EQ(after.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); i += 997)
        EXPECT_EQ(after[i], static_cast<std::int16_t>(samples[i] * gain + 0.5)) << i;

    std::vector<std::intptr_t> perMille;
    for (const Message& m : window.Only(WM_EXTRACT_PROGRESS))
        perMille.push_back(m.wParam);
    EXPECT_THAT(perMille, ElementsAre(26 * 1000 / 60, 52 * 1000 / 60, 1000));
}

}  // namespace
}  // namespace korvida
