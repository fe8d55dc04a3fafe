#include "core/pipeline/DecodeMp3ToWav.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>

#include "Mp3Fixtures.h"
#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/mpegdec/MpegHeader.h"
#include "core/pipeline/BinaryFile.h"
#include "core/pipeline/RipJob.h"

namespace korvida {
namespace {

using test::Mp3Fixtures;
using test::ReadFile;
using test::ViewWav;
using test::WavView;
using test::WriteFile;
using ::testing::HasSubstr;

// --- Which headers the decoder takes, and their frame lengths.

struct HeaderCase {
    const char* what;
    std::uint8_t bytes[4];
    std::size_t frameBytes;  // 0: refused
};

class MpegHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(MpegHeaderTest, DecodableHeadersAndFrameLengths) {
    const HeaderCase& c = GetParam();
    MpegHeader header;
    EXPECT_EQ(IsDecodableHeader(c.bytes), c.frameBytes != 0);
    if (c.frameBytes != 0) {
        ASSERT_TRUE(ParseMpegHeader(c.bytes, header));
        EXPECT_EQ(Layer3FrameBytes(header), c.frameBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, MpegHeaderTest,
    ::testing::Values(HeaderCase{"mpeg1_128k_44100", {0xFF, 0xFB, 0x90, 0x64}, 417},
                      HeaderCase{"mpeg1_padded", {0xFF, 0xFB, 0x92, 0x64}, 418},
                      HeaderCase{"mpeg1_320k_32000_padded", {0xFF, 0xFB, 0xEA, 0xC0}, 1441},
                      HeaderCase{"mpeg2_64k_22050", {0xFF, 0xF3, 0x80, 0x64}, 208},
                      HeaderCase{"mpeg25", {0xFF, 0xE3, 0x28, 0x64}, 0},
                      HeaderCase{"free_format", {0xFF, 0xFB, 0x00, 0x64}, 0},
                      HeaderCase{"bit_rate_index_15", {0xFF, 0xFB, 0xF0, 0x64}, 0},
                      HeaderCase{"reserved_rate", {0xFF, 0xFB, 0x9C, 0x64}, 0},
                      HeaderCase{"layer2", {0xFF, 0xFD, 0x90, 0x64}, 0},
                      HeaderCase{"reserved_version", {0xFF, 0xEB, 0x90, 0x64}, 0}),
    [](const auto& info) { return std::string(info.param.what); });

// --- The decode driver.

class DecodeTest : public ::testing::Test {
  protected:
    DecodeTest() {
        job.mainWindow = &log;
        job.progressWindow = &progress;
        job.cancelEvent = &cancel;
    }

    int Decode(const std::string& source, const DecodeOptions& options = {}) {
        output = dir / "out.WAV";
        return DecodeMp3ToWav(source, output, job, options);
    }
    WavView Output() const { return ViewWav(ReadFile(output)); }
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (const Message& m : log.Only(WM_JOB_LOG))
            lines.push_back(m.text);
        return lines;
    }
    std::string LastLog() const {
        const auto lines = LogLines();
        return lines.empty() ? std::string() : lines.back();
    }
    // An MP3 from lame, skipping the test when the tool is missing.
    std::string Mp3(const std::string& name, const std::string& options) {
        const std::string path = Mp3Fixtures::Get().Make(name, options);
        if (path.empty())
            ADD_FAILURE() << "lame " << options << " failed";
        return path;
    }

    test::TempDir dir;
    test::RecordingTarget log;
    test::RecordingTarget progress;
    Event cancel{false};
    RipJob job;
    std::string output;
};

struct LameCase {
    const char* name;
    const char* options;
};

class DecodeMatchesMpg123 : public DecodeTest, public ::testing::WithParamInterface<LameCase> {};

// mpg123 without gapless trimming decodes every audio frame, as a frame-by-frame decoder
// does, and skips the tags and the Xing/Info frame: the samples must be the same.
TEST_P(DecodeMatchesMpg123, SampleForSample) {
    const std::string mp3 = Mp3(std::string(GetParam().name) + ".mp3", GetParam().options);
    ASSERT_EQ(Decode(mp3), 1) << LastLog();
    const WavView ours = Output();
    const WavView theirs = test::Mpg123Decode(mp3);
    ASSERT_FALSE(theirs.data.empty());
    EXPECT_TRUE(ours.consistent);
    EXPECT_EQ(ours.formatTag, 1);
    EXPECT_EQ(ours.channels, theirs.channels);
    EXPECT_EQ(ours.rate, theirs.rate);
    EXPECT_EQ(ours.data.size(), theirs.data.size());
    EXPECT_TRUE(ours.data == theirs.data);
    EXPECT_THAT(LastLog(), HasSubstr("解码 MPEG 文件成功！"));
}

INSTANTIATE_TEST_SUITE_P(
    LameFiles, DecodeMatchesMpg123,
    ::testing::Values(LameCase{"cbr_with_info_frame", "-b 128"},
                      LameCase{"vbr_with_xing_frame", "-V 2"},
                      LameCase{"id3v2_and_xing", "-V 4 --add-id3v2 --pad-id3v2-size 3000 --tt T"},
                      LameCase{"id3v1_at_the_end", "-b 96 --id3v1-only --tt T"},
                      LameCase{"mono", "-m m -b 64"},
                      LameCase{"mpeg2_22050", "--resample 22.05 -b 48"},
                      LameCase{"mpeg2_vbr_mono", "-m m --resample 16 -V 5"},
                      LameCase{"no_tag_frame", "-t -b 320"}),
    [](const auto& info) { return std::string(info.param.name); });

// The first frame to decode: after the ID3v2 tag and after the Xing frame behind it; and a
// frame starting late in a scan block is found, not passed over for the one after it.
TEST_F(DecodeTest, DecodingStartsAfterTheTagAndTheXingFrame) {
    const std::string mp3 = Mp3("xing.mp3", "-V 4 --add-id3v2 --pad-id3v2-size 3000 --tt T");
    const std::string bytes = ReadFile(mp3);
    BinaryFile file;
    ASSERT_TRUE(file.Open(mp3, BinaryFile::Mode::kRead));
    const std::uint64_t tag = Id3v2TagBytes(file);
    ASSERT_GT(tag, 3000u);
    const auto* xing = reinterpret_cast<const std::uint8_t*>(bytes.data() + tag);
    MpegHeader header;
    ASSERT_TRUE(ParseMpegHeader(xing, header));
    ASSERT_EQ(bytes.compare(tag + 36, 4, "Xing"), 0);
    EXPECT_EQ(SkipVbrInfoFrames(file, tag), tag + Layer3FrameBytes(header));

    for (std::size_t junk : {0, 1399, 1420, 1439, 1440, 2900}) {
        WriteFile(dir / "late.mp3", std::string(junk, 'j') + bytes.substr(tag));
        BinaryFile late;
        ASSERT_TRUE(late.Open(dir / "late.mp3", BinaryFile::Mode::kRead));
        EXPECT_EQ(SkipVbrInfoFrames(late, 0), junk + Layer3FrameBytes(header)) << junk;
    }
}

// Damage between frames is stepped over; the frames around it decode exactly as in the
// undamaged file, since the decoder never sees the damaged bytes.
TEST_F(DecodeTest, GarbageBetweenFramesIsSkipped) {
    const std::string mp3 = Mp3("clean.mp3", "-b 128 -t");
    ASSERT_EQ(Decode(mp3), 1);
    const std::string clean = Output().data;
    const std::string bytes = ReadFile(mp3);

    // The boundary after the 20th frame.
    std::size_t at = 0;
    for (int frame = 0; frame < 20; ++frame) {
        MpegHeader header;
        ASSERT_TRUE(ParseMpegHeader(reinterpret_cast<const std::uint8_t*>(&bytes[at]), header));
        at += Layer3FrameBytes(header);
    }
    // Text, then a header look-alike of another sample rate (32 kHz) with a frame's worth
    // of bytes behind it, then more text.
    const std::string garbage = std::string(700, 'x') + "\xFF\xFB\x98\x64" +
                                std::string(600, '\x11') + std::string(300, 'y');
    const std::string damaged = bytes.substr(0, at) + garbage + bytes.substr(at);
    WriteFile(dir / "damaged.mp3", damaged);
    ASSERT_EQ(Decode(dir / "damaged.mp3"), 1);
    const WavView out = Output();
    EXPECT_TRUE(out.consistent);
    EXPECT_TRUE(out.data == clean);
}

// A file cut inside a frame: everything before the cut, and a WAV whose sizes hold.
TEST_F(DecodeTest, TruncatedFileKeepsTheWholeFramesBeforeTheCut) {
    const std::string mp3 = Mp3("whole.mp3", "-b 128 -t");
    ASSERT_EQ(Decode(mp3), 1);
    const std::string whole = Output().data;
    const std::string bytes = ReadFile(mp3);
    WriteFile(dir / "cut.mp3", bytes.substr(0, bytes.size() / 2 + 100));
    ASSERT_EQ(Decode(dir / "cut.mp3"), 1);
    const WavView out = Output();
    EXPECT_TRUE(out.consistent);
    ASSERT_GT(out.data.size(), whole.size() / 3);
    EXPECT_LT(out.data.size(), whole.size());
    EXPECT_EQ(out.data.size() % 4608, 0u);
    EXPECT_TRUE(whole.compare(0, out.data.size(), out.data) == 0);
}

struct RefusedCase {
    const char* name;
    std::string bytes;  // "lame:OPTIONS" makes the file with lame
    const char* line;
};

class DecodeRefuses : public DecodeTest, public ::testing::WithParamInterface<RefusedCase> {};

// Nothing usable: one line, result 0 and no output file left behind.
TEST_P(DecodeRefuses, WithItsLineAndNoOutput) {
    const RefusedCase& c = GetParam();
    std::string source = dir / (std::string(c.name) + ".mp3");
    if (c.bytes.rfind("lame:", 0) == 0)
        source = Mp3(std::string(c.name) + ".mp3", c.bytes.substr(5));
    else if (c.bytes != "missing")
        WriteFile(source, c.bytes);
    EXPECT_EQ(Decode(source), 0);
    EXPECT_THAT(LastLog(), HasSubstr(c.line));
    EXPECT_EQ(LastLog()[0], '[');
    EXPECT_FALSE(std::filesystem::exists(output));
}

const char kBad[] = "坏的或不支持的 MPEG 文件。";

INSTANTIATE_TEST_SUITE_P(
    BadInput, DecodeRefuses,
    ::testing::Values(
        RefusedCase{"missing", "missing", "不能打开输入文件 "}, RefusedCase{"empty", "", kBad},
        RefusedCase{"text", std::string(5000, 'a'), kBad},
        RefusedCase{"wav", test::ToneWav(0.2), kBad},
        RefusedCase{"mpeg25", "lame:--resample 8 -b 16", kBad},
        RefusedCase{"free_format", "lame:--freeformat -b 80", kBad},
        // A tag that claims 200 MB: nothing is left after it.
        RefusedCase{"id3v2_past_the_end",
                    std::string("ID3\x03\0\0\x60\x60\x60\x60", 10) + "\xFF\xFB\x90\x64", kBad}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DecodeTest, UnopenableOutputAndTheSourceItselfAreRefused) {
    const std::string mp3 = Mp3("src.mp3", "-b 64");
    WriteFile(dir / "file", "x");
    EXPECT_EQ(DecodeMp3ToWav(mp3, dir / "file/out.WAV", job, {}), 0);
    EXPECT_THAT(LastLog(), HasSubstr("不能打开输出文件 " + (dir / "file/out.WAV")));

    const std::string before = ReadFile(mp3);
    EXPECT_EQ(DecodeMp3ToWav(mp3, mp3, job, {}), 0);
    EXPECT_EQ(ReadFile(mp3), before);
}

// Cancelling stops the decode with result 0; the part written is still a sound WAV.
TEST_F(DecodeTest, CancelLeavesAWellFormedPartialFile) {
    const std::string mp3 = Mp3("long.mp3", "-b 128 -t");
    struct CancelOnProgress : test::RecordingTarget {
        Event* cancel = nullptr;
        void post(Message m) override {
            if (m.id == WM_ENCODE_PROGRESS && m.wParam < 1000)
                cancel->Set();
            RecordingTarget::post(std::move(m));
        }
    } canceller;
    canceller.cancel = &cancel;
    job.progressWindow = &canceller;
    EXPECT_EQ(Decode(mp3), 0);
    EXPECT_TRUE(job.aborted);
    EXPECT_THAT(LastLog(), HasSubstr("用户已取消。"));
    const WavView out = Output();
    EXPECT_TRUE(out.consistent);
    EXPECT_EQ(out.data.size(), 30u * 4608);  // cancelled right after the first report
}

TEST_F(DecodeTest, MessagesAndProgress) {
    const std::string mp3 = Mp3("msgs.mp3", "-b 128");
    ASSERT_EQ(Decode(mp3), 1);
    const auto all = progress.messages();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().id, WM_DECODE_STATUS);
    EXPECT_EQ(all.front().text, mp3);
    // 2 s at 44100 Hz: 77 frames (the Info frame included), so reports after 30 and 60.
    std::vector<std::intptr_t> perMille;
    for (const Message& m : progress.Only(WM_ENCODE_PROGRESS))
        perMille.push_back(m.wParam);
    ASSERT_EQ(perMille.size(), 3u);
    EXPECT_TRUE(std::is_sorted(perMille.begin(), perMille.end()));
    EXPECT_GT(perMille[0], 300);
    EXPECT_EQ(perMille.back(), 1000);
    EXPECT_THAT(LogLines(), ::testing::ElementsAre(HasSubstr("] 解码文件 " + mp3),
                                                   HasSubstr("] 解码 MPEG 文件成功！")));
}

TEST_F(DecodeTest, NormalisesTheDecodedFileWhenAsked) {
    const std::string mp3 = Mp3("norm.mp3", "-b 128");
    DecodeOptions options;
    options.normalize = true;
    options.normalizeRatio = 50;
    ASSERT_EQ(Decode(mp3, options), 1);
    const auto samples = test::Samples(Output().data);
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int{s}));
    EXPECT_NEAR(peak, 16384, 1);
    const auto status = progress.Only(WM_ITEM_STATUS);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].wParam, 1);
    EXPECT_EQ(status[0].text, output);
}

// A WAV cannot describe more than 4 GB: decoding stops at the limit instead of writing
// sizes that have wrapped around.
TEST_F(DecodeTest, StopsAtTheSizeLimitOfAWav) {
    const std::string mp3 = Mp3("limit.mp3", "-b 128");
    DecodeOptions options;
    options.maxDataBytes = 100001;
    ASSERT_EQ(Decode(mp3, options), 1);
    const WavView out = Output();
    EXPECT_TRUE(out.consistent);
    EXPECT_EQ(out.data.size(), 100000u);
    EXPECT_THAT(LogLines(), ::testing::Contains(HasSubstr("4 GB")));
}

}  // namespace
}  // namespace korvida
