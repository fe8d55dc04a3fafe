#include "core/audio/WavFile.h"

#include <gtest/gtest.h>

#include <string>

#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using test::ReadFile;
using test::RunCommand;
using test::TempDir;
using test::WriteFile;

std::uint32_t Field32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

std::uint16_t Field16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

// What Python's wave module, which knows nothing of our code, makes of a file:
// "channels rate width frames".
std::string PythonWaveView(const std::string& path) {
    return RunCommand(
        "/usr/bin/python3 -c \"import wave,sys; w=wave.open(sys.argv[1]); "
        "print(w.getnchannels(), w.getframerate(), w.getsampwidth(), "
        "w.getnframes())\" '" +
        path + "' 2>&1");
}

// Writes a track the way extraction does: empty header, the samples chunk by chunk, the
// header again with the count.
void WriteLikeExtraction(const std::string& path, std::uint32_t frames) {
    BinaryFile file;
    ASSERT_TRUE(file.Open(path, BinaryFile::Mode::kCreate));
    ASSERT_TRUE(WriteCdAudioWavHeader(file, 0));
    std::string chunk(26 * kCdFrameBytes, '\0');
    std::uint32_t written = 0;
    for (std::uint32_t f = 0; f < frames; f += 26) {
        const std::uint32_t count = std::min<std::uint32_t>(26, frames - f);
        for (std::size_t i = 0; i < count * kCdFrameBytes; ++i)
            chunk[i] = static_cast<char>((f * kCdFrameBytes + i) * 7);
        ASSERT_TRUE(file.Write(chunk.data(), count * kCdFrameBytes));
        written += count * kCdFrameBytes;
    }
    ASSERT_TRUE(WriteCdAudioWavHeader(file, written));
    ASSERT_EQ(file.Position(), 44);
    ASSERT_TRUE(file.Close());
}

// Frames written → what Python's wave module and sox, which know nothing of our code,
// read back. 0 frames is a rip cancelled before its first chunk.
class ExtractionWriterTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ExtractionWriterTest, IsReadByIndependentReaders) {
    const std::uint32_t frames = GetParam();
    const std::uint32_t dataBytes = frames * kCdFrameBytes;
    TempDir dir;
    const std::string path = dir / "track.wav";
    WriteLikeExtraction(path, frames);
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 44u + dataBytes);
    EXPECT_EQ(Field32(bytes, 4), 36u + dataBytes);
    EXPECT_EQ(Field32(bytes, 40), dataBytes);
    EXPECT_EQ(PythonWaveView(path), "2 44100 2 " + std::to_string(frames * 588) + "\n");
    EXPECT_EQ(RunCommand("soxi -s '" + path + "' 2>&1"), std::to_string(frames * 588) + "\n");
}

// One second (75 frames), nothing, and a count that ends in a partial chunk.
INSTANTIATE_TEST_SUITE_P(Lengths, ExtractionWriterTest, ::testing::Values(75u, 0u, 27u));

struct DecoderCase {
    std::uint32_t rate;
    std::uint16_t channels;
    std::uint16_t bits;
    int kind;
    std::uint16_t tag;
    std::uint32_t bytesPerSecond;
    std::uint16_t blockAlign;
};

class DecoderWriterTest : public ::testing::TestWithParam<DecoderCase> {};

TEST_P(DecoderWriterTest, HeaderThenSizesAfterTheData) {
    const DecoderCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / "dec.wav";
    BinaryFile file;
    ASSERT_TRUE(file.Open(path, BinaryFile::Mode::kCreate));
    ASSERT_TRUE(WriteDecoderWavHeader(file, c.rate, c.channels, c.bits, c.kind));
    std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(Field32(bytes, 4), 36u);
    EXPECT_EQ(Field32(bytes, 40), 0u);

    const std::string data(1000, '\x11');
    ASSERT_TRUE(file.Write(data.data(), data.size()));
    ASSERT_TRUE(UpdateWavSizes(file, 1000));
    // Writing goes on at the end, as a decoder that updates the sizes midway needs.
    ASSERT_TRUE(file.Write("\x22\x22", 2));
    ASSERT_TRUE(file.Close());

    bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 1046u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Field32(bytes, 4), 1036u);
    EXPECT_EQ(Field16(bytes, 20), c.tag);
    EXPECT_EQ(Field16(bytes, 22), c.channels);
    EXPECT_EQ(Field32(bytes, 24), c.rate);
    EXPECT_EQ(Field32(bytes, 28), c.bytesPerSecond);
    EXPECT_EQ(Field16(bytes, 32), c.blockAlign);
    EXPECT_EQ(Field16(bytes, 34), c.bits);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(Field32(bytes, 40), 1000u);
    EXPECT_EQ(bytes.substr(44, 1000), data);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DecoderWriterTest,
    ::testing::Values(DecoderCase{22050, 1, 16, kDecoderOutputPcm, 1, 44100, 2},
                      DecoderCase{22050, 1, 8, kDecoderOutputPcm, 1, 22050, 1},
                      DecoderCase{44100, 2, 16, kDecoderOutputPcm, 1, 176400, 4},
                      DecoderCase{8000, 1, 8, kDecoderOutputMuLaw, 7, 8000, 1},
                      // 12-bit stereo: block alignment and byte rate round up to whole bytes
                      DecoderCase{48000, 2, 12, kDecoderOutputPcm, 1, 144000, 3}));

TEST(WavFileTest, DecoderWriterRefusesAnUnknownOutputKindAndWritesNothing) {
    TempDir dir;
    const std::string path = dir / "dec.wav";
    BinaryFile file;
    ASSERT_TRUE(file.Open(path, BinaryFile::Mode::kCreate));
    EXPECT_FALSE(WriteDecoderWavHeader(file, 44100, 2, 16, 3));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(path).size(), 0u);
}

TEST(WavFileTest, RiffSizeDoesNotWrapForTheLargestDataSize) {
    const WavHeaderBytes h = BuildWavHeader(WavFormat{}, 0xFFFFFFF0u);
    const std::string bytes(h.begin(), h.end());
    EXPECT_EQ(Field32(bytes, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Field32(bytes, 40), 0xFFFFFFF0u);
}

struct ReadCase {
    const char* name;
    std::string bytes;
    WavReadResult result;
    std::uint64_t dataOffset;
    std::uint32_t dataSize;
};

class WavReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(WavReaderTest, FindsTheSamples) {
    const ReadCase& c = GetParam();
    TempDir dir;
    WriteFile(dir / "in.wav", c.bytes);
    BinaryFile file;
    ASSERT_TRUE(file.Open(dir / "in.wav", BinaryFile::Mode::kRead));
    WavInfo info;
    ASSERT_EQ(ReadWavInfo(file, info), c.result);
    if (c.result != WavReadResult::kOk)
        return;
    EXPECT_EQ(info.dataOffset, c.dataOffset);
    EXPECT_EQ(info.dataSize, c.dataSize);
    EXPECT_TRUE(IsCdAudio(info.format));
}

using test::Chunk;
using test::FmtBody;
using test::RiffFile;

const std::string kData(400, '\x05');

INSTANTIATE_TEST_SUITE_P(
    Layouts, WavReaderTest,
    ::testing::Values(
        ReadCase{"Canonical",
                 RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)), Chunk("data", kData)}),
                 WavReadResult::kOk, 44, 400},
        // A tag chunk before the samples must not be taken for samples.
        ReadCase{"ListBeforeData",
                 RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)),
                           Chunk("LIST", std::string("INFOISFT\x05\0\0\0tool\0", 17)),
                           Chunk("data", kData)}),
                 WavReadResult::kOk, 44 + 8 + 18, 400},
        // The 18-byte format chunk of some writers (with an empty extension size).
        ReadCase{"LongFormatChunk",
                 RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16) + std::string(2, '\0')),
                           Chunk("data", kData)}),
                 WavReadResult::kOk, 46, 400},
        ReadCase{"OddChunkIsPadded",
                 RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)), Chunk("junk", "abc"),
                           Chunk("data", kData)}),
                 WavReadResult::kOk, 44 + 12, 400},
        ReadCase{"ShortFile", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), WavReadResult::kShort, 0,
                 0},
        ReadCase{"NotRiff", std::string(60, 'x'), WavReadResult::kNotWave, 0, 0},
        ReadCase{"DataBeforeFormat",
                 RiffFile({Chunk("data", kData), Chunk("fmt ", FmtBody(44100, 2, 16))}),
                 WavReadResult::kNotWave, 0, 0},
        // A chunk size pointing far beyond the end ends the walk instead of looping.
        ReadCase{"NoDataChunk",
                 RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)),
                           "LIST" + test::Le32(0xFFFFFFF0u) + std::string(40, '\0')}),
                 WavReadResult::kNotWave, 0, 0}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

}  // namespace
}  // namespace korvida
