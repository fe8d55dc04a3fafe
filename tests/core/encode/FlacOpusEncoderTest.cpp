// The FLAC and Opus stages against the reference tools: what they decode, verify and
// list of our files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "EncodeTestSupport.h"
#include "core/batch/DecodeFlacToWav.h"
#include "core/encode/AddFlacComments.h"
#include "core/encode/VorbisComments.h"
#include "support/SmallDisk.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::HasSubstr;
using ::testing::Not;

// A 1×1 PNG: enough of a cover for the tools to read its type and size.
std::shared_ptr<const std::vector<std::uint8_t>> TinyPng() {
    static const std::uint8_t kPng[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
        0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
        0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78,
        0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF, 0x89, 0x99,
        0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    return std::make_shared<const std::vector<std::uint8_t>>(std::begin(kPng), std::end(kPng));
}

class LosslessAndOpusTest : public EncodeJobTest {
  protected:
    // The item of a rip with every comment switch on, a Chinese title and the cover.
    void TagFully() {
        settings.ogg.Title = settings.ogg.Artist = settings.ogg.Album = settings.ogg.Year =
            settings.ogg.TrackNo = 1;
        item().index = 6;
        item().track.Title = "标题";
        item().track.Artist = "艺术家";
        item().track.Album = "Album";
        item().track.Year = "2001";
    }
    int Encode(int (*stage)(JobContext&, EncodeTask&), const char* extension) {
        EncodeTask task = PlanTask(job, env, extension);
        task.coverArt = TinyPng();
        task.extraComments = {"REPLAYGAIN_TRACK_GAIN=-1.00 dB"};
        return stage(job.context, task);
    }
    std::string Quoted(const std::string& path) { return "'" + path + "'"; }
};

TEST_F(LosslessAndOpusTest, FlacIsVerifiedTaggedAndDecodesToTheExactWav) {
    TagFully();
    const std::string wav = NoiseWav(44100 * 2 + 7);
    UseSource(wav);
    ASSERT_EQ(Encode(EncodeWavToFlac, ".flac"), 1) << ::testing::PrintToString(LogLines());
    const std::string flac = item().outputPath;
    EXPECT_EQ(flac, dir / "out/source.flac");
    ASSERT_EQ(progress.Only(WM_ENCODE_STATUS).size(), 1u);
    EXPECT_EQ(progress.Only(WM_ENCODE_STATUS)[0].wParam, 3);

    EXPECT_EQ(std::system(("flac -s -t " + Quoted(flac)).c_str()), 0);
    RunCommand("flac -s -d -o " + Quoted(dir / "flac-d.wav") + " " + Quoted(flac));
    EXPECT_TRUE(ReadFile(dir / "flac-d.wav").substr(44) == wav.substr(44))
        << "flac -d gives other samples";

    const std::string listed =
        RunCommand("metaflac --list --block-type=VORBIS_COMMENT,PICTURE " + Quoted(flac));
    for (const char* line :
         {"comment[0]: TITLE=标题", "comment[1]: ARTIST=艺术家", "comment[3]: YEAR=2001",
          "comment[4]: TRACKNUMBER=07", "comment[5]: REPLAYGAIN_TRACK_GAIN=-1.00 dB",
          "type: 3 (Cover (front))", "MIME type: image/png"})
        EXPECT_THAT(listed, HasSubstr(line));

    // Comments known only later replace those of their key where they stand.
    std::string error;
    ASSERT_TRUE(AddFlacComments(flac, {"TITLE=新标题", "REPLAYGAIN_ALBUM_GAIN=-2.50 dB"}, &error))
        << error;
    EXPECT_EQ(RunCommand("metaflac --export-tags-to=- " + Quoted(flac)),
              "TITLE=新标题\nARTIST=艺术家\nALBUM=Album\nYEAR=2001\nTRACKNUMBER=07\n"
              "REPLAYGAIN_TRACK_GAIN=-1.00 dB\nREPLAYGAIN_ALBUM_GAIN=-2.50 dB\n");
    EXPECT_EQ(std::system(("flac -s -t " + Quoted(flac)).c_str()), 0);
    EXPECT_EQ(FolderListing(dir / "out"), "source.flac") << "no copy is left behind";

    // And back with our own decoder: the very file the rip wrote.
    ASSERT_EQ(DecodeFlacToWav(flac, dir / "back.wav", job.context), 1);
    EXPECT_TRUE(ReadFile(dir / "back.wav") == wav);
}

TEST_F(LosslessAndOpusTest, OpusIsReadWithItsCommentsAndKeepsTheTracksLength) {
    TagFully();
    constexpr std::uint32_t kFrames = 44100 * 3 + 11;
    UseSource(ToneWav(kFrames));
    ASSERT_EQ(Encode(EncodeWavToOpus, ".opus"), 1) << ::testing::PrintToString(LogLines());
    const std::string opus = item().outputPath;
    EXPECT_EQ(opus, dir / "out/source.opus");

    const std::string info = RunCommand("opusinfo " + Quoted(opus) + " 2>&1; echo status=$?");
    EXPECT_THAT(info, HasSubstr("status=0"));
    EXPECT_THAT(info, HasSubstr("TITLE=标题"));
    EXPECT_THAT(info, HasSubstr("TRACKNUMBER=07"));
    EXPECT_THAT(info, HasSubstr("METADATA_BLOCK_PICTURE"));
    EXPECT_THAT(info, HasSubstr("Original sample rate: 44100 Hz"));
    EXPECT_THAT(info, Not(HasSubstr("WARNING")));

    RunCommand("opusdec --quiet --rate 44100 " + Quoted(opus) + " " + Quoted(dir / "d.wav"));
    const DecodedWav d = ReadDecodedWav(dir / "d.wav");
    ASSERT_TRUE(d.ok);
    // The pre-skip is 312 samples at 48 kHz: 287 at the track's rate.
    EXPECT_NEAR(static_cast<double>(d.frames), kFrames, 287.0);

    // Each file its own stream serial: libopusenc alone would give every file one.
    const std::string first = ReadFile(opus);
    ASSERT_EQ(Encode(EncodeWavToOpus, ".opus"), 1);
    EXPECT_NE(first.substr(14, 4), ReadFile(opus).substr(14, 4));
}

}  // namespace
}  // namespace korvida
