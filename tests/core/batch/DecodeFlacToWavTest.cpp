// FLAC files from the reference encoder back to WAV: the exact samples, or no file.
#include "core/batch/DecodeFlacToWav.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::Contains;

class DecodeFlacTest : public ::testing::Test {
  protected:
    DecodeFlacTest() {
        job.context.mainWindow = &log;
        job.context.progressWindow = &progress;
        job.context.cancelEvent = &cancel;
    }
    // `wav` written and encoded by the flac tool; the FLAC's path.
    std::string FlacOf(const std::string& wav) {
        WriteFile(dir / "source.wav", wav);
        RunCommand("flac -s -f -o '" + dir / "source.flac" + "' '" + dir / "source.wav" + "'");
        return dir / "source.flac";
    }
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const Message& m : log.Only(WM_JOB_LOG))
            texts.push_back(m.text.size() > 22 ? m.text.substr(22) : m.text);
        return texts;
    }

    TempDir dir;
    RecordingTarget log;
    RecordingTarget progress;
    Event cancel{false};
    RipJob job;
    const std::string output = dir / "out.wav";
};

// Sample sizes other than the CD's: 24-bit mono and 8-bit stereo (WAV's unsigned bytes)
// come back byte for byte.
TEST_F(DecodeFlacTest, OtherSampleSizesComeBackExactly) {
    std::string mono24, stereo8;
    for (int i = 0; i < 30000; ++i) {
        const int v = (i * 7919) % 16777216 - 8388608;
        mono24 += {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16)};
        stereo8 += {static_cast<char>(i * 13), static_cast<char>(255 - i % 256)};
    }
    for (const std::string& wav :
         {RiffFile({Chunk("fmt ", FmtBody(48000, 1, 24)), Chunk("data", mono24)}),
          RiffFile({Chunk("fmt ", FmtBody(22050, 2, 8)), Chunk("data", stereo8)})}) {
        ASSERT_EQ(DecodeFlacToWav(FlacOf(wav), output, job.context), 1);
        EXPECT_TRUE(ReadFile(output) == wav);
    }
}

// A damaged frame, or a cancel, leaves no WAV: what was there before stays.
TEST_F(DecodeFlacTest, DamageOrCancelLeavesTheEarlierFileAlone) {
    std::vector<std::int16_t> samples(44100 * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>((i * 2654435761u) >> 16);
    std::string flac = ReadFile(FlacOf(CdWav(samples)));
    flac[flac.size() / 2] ^= 0x5A;
    WriteFile(dir / "damaged.flac", flac);
    WriteFile(output, "earlier");
    EXPECT_EQ(DecodeFlacToWav(dir / "damaged.flac", output, job.context), 0);
    EXPECT_THAT(LogTexts(), Contains("坏的或不支持的 FLAC 文件。"));

    cancel.Set();
    EXPECT_EQ(DecodeFlacToWav(dir / "source.flac", output, job.context), 0);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_EQ(LogTexts().back(), "用户已取消。");
    EXPECT_EQ(ReadFile(output), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4)
        << "no temporary file is left";
}

// Zeros hold no frame, so the decoder reads on in search of one: a cancel must end that
// search too (a sparse 3 GB file), and an endless device is refused outright.
TEST_F(DecodeFlacTest, ACancelEndsTheSearchThroughZerosAndADeviceIsRefused) {
    const std::string zeros = dir / "zeros.flac";
    std::filesystem::resize_file((WriteFile(zeros, ""), zeros), 3ull << 30);
    cancel.Set();
    EXPECT_EQ(DecodeFlacToWav(zeros, output, job.context), 0);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_EQ(LogTexts().back(), "用户已取消。");

    std::filesystem::create_symlink("/dev/zero", dir / "endless.flac");
    EXPECT_EQ(DecodeFlacToWav(dir / "endless.flac", output, job.context), 0);
    EXPECT_EQ(LogTexts().back(), "不能打开输入文件 " + dir / "endless.flac" + "：它不是普通文件。");
}

}  // namespace
}  // namespace korvida
