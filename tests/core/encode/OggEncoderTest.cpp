#include "core/encode/OggEncoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "EncodeTestSupport.h"
#include "core/encode/VorbisComments.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

OggVorbisSettings AllCommentsOn() {
    OggVorbisSettings ogg;
    ogg.Title = ogg.Artist = ogg.Album = ogg.Year = ogg.Genre = ogg.Comment = ogg.Composer =
        ogg.OrigArtist = ogg.Copyright = ogg.URL = ogg.EncodedBy = ogg.TrackNo = 1;
    return ogg;
}

RipJobItem FullItem() {
    RipJobItem item;
    item.index = 6;
    item.track = {"标题", "Artist",   "Album", "2001", "Comment",  "id", "Rock",
                  17,     "Composer", "Orig",  "(c)",  "http://x", "Enc"};
    return item;
}

TEST(VorbisCommentsTest, SwitchedOffOrEmptySourcesAddNothing) {
    OggVorbisSettings off;
    off.Title = off.Artist = off.Album = 0;
    EXPECT_THAT(VorbisComments(FullItem(), off), IsEmpty());

    RipJobItem sparse = FullItem();
    sparse.track.Year.clear();
    sparse.index = -1;  // a file-job item has no track number
    const auto comments = VorbisComments(sparse, AllCommentsOn());
    EXPECT_THAT(comments, Not(Contains(HasSubstr("YEAR"))));
    EXPECT_THAT(comments, Not(Contains(HasSubstr("TRACKNUMBER"))));
}

TEST(OggQualityTest, OutOfRangeCountsAsSixty) {
    EXPECT_FLOAT_EQ(OggQuality(1), 0.01f);
    EXPECT_FLOAT_EQ(OggQuality(100), 1.0f);
    EXPECT_FLOAT_EQ(OggQuality(0), 0.6f);
    EXPECT_FLOAT_EQ(OggQuality(101), 0.6f);
}

class OggEncodeTest : public EncodeJobTest {
  protected:
    // oggdec's view of the file: frames decoded, or nullopt when it cannot decode it.
    DecodedWav Decode() {
        RunCommand("oggdec -Q -o '" + dir / "decoded.wav" + "' '" + item().outputPath + "'");
        return ReadDecodedWav(dir / "decoded.wav");
    }
    bool OggInfoAccepts() {
        return std::system(("ogginfo -q '" + item().outputPath + "' > /dev/null 2>&1").c_str()) ==
               0;
    }
};

TEST_F(OggEncodeTest, AcceptedByOggInfoWithCommentsInOrderAndEveryWholeFrameDecoded) {
    settings.ogg = AllCommentsOn();
    static_cast<RipJobItem&>(item()) = FullItem();
    // 3 bytes past the last whole frame: the incomplete frame is dropped.
    std::string wav = ToneWav(44100 + 5);
    wav += "abc";
    UseSource(wav);
    ASSERT_EQ(EncodeOgg(job, env), 1) << ::testing::PrintToString(LogLines());
    EXPECT_EQ(item().outputPath, dir / "out/source.ogg");
    EXPECT_TRUE(OggInfoAccepts());
    EXPECT_EQ(RunCommand("vorbiscomment -l '" + item().outputPath + "'"),
              "TITLE=标题\nARTIST=Artist\nALBUM=Album\nYEAR=2001\nGENRE=Rock\nCOMMENT=Comment\n"
              "COMPOSER=Composer\nORIGARTIST=Orig\nCopyright=(c)\nURL=http://x\n"
              "ENCODED BY=Enc\nTRACKNUMBER=07\n");
    const DecodedWav d = Decode();
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.frames, 44100u + 5);

    ASSERT_EQ(progress.Only(WM_ENCODE_STATUS).size(), 1u);
    EXPECT_EQ(progress.Only(WM_ENCODE_STATUS)[0].wParam, 1) << "Ogg";
}

TEST_F(OggEncodeTest, IsrcCommentAndTheCoverAsAFrontCoverPictureBlock) {
    WriteFile(dir / "read.py",
              "import sys, base64\n"
              "from mutagen.oggvorbis import OggVorbis\n"
              "from mutagen.flac import Picture\n"
              "f = OggVorbis(sys.argv[1])\n"
              "print(f['isrc'])\n"
              "cover = open(sys.argv[2], 'rb').read()\n"
              "for b in f['metadata_block_picture']:\n"
              "    p = Picture(base64.b64decode(b))\n"
              "    print(p.type, p.mime, repr(p.desc), p.width, p.height, p.depth, p.colors,\n"
              "          p.data == cover)\n");
    item().isrc = "FRZ039900212";
    for (const auto& [png, picture] : {std::pair<bool, std::string>{true, "3 image/png '' 3 2 32"},
                                       {false, "3 image/jpeg '' 5 4 24"}}) {
        const std::vector<std::uint8_t> bytes = CoverBytes(png);
        job.coverArt = std::make_shared<const std::vector<std::uint8_t>>(bytes);
        WriteFile(dir / "cover", std::string(bytes.begin(), bytes.end()));
        UseSource(ToneWav(4410));
        ASSERT_EQ(EncodeOgg(job, env), 1);
        EXPECT_TRUE(OggInfoAccepts());
        EXPECT_EQ(RunCommand("/usr/bin/python3 '" + dir / "read.py" + "' '" + item().outputPath +
                             "' '" + dir / "cover" + "'"),
                  "['FRZ039900212']\n" + picture + " 0 True\n");
    }
}

TEST_F(OggEncodeTest, HeaderOnlyWavGivesAValidStreamWithoutAudio) {
    UseSource(ToneWav(0));
    ASSERT_EQ(EncodeOgg(job, env), 1);
    // No ogginfo here: it remarks on the end-of-stream page's granule position of 0, as
    // it does for oggenc's encode of the same file.
    const std::string ogg = ReadFile(item().outputPath);
    const std::size_t last = ogg.rfind("OggS");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(ogg[last + 5], 4) << "the last page ends the stream";
}

// Files begun in the same moment each get a stream serial of their own (a player that
// chains them tells their pages apart by it). Read from the first page's header.
TEST_F(OggEncodeTest, FilesMadeAtOnceHaveTheirOwnStreamSerials) {
    std::vector<std::string> serials;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        UseSource(ToneWav(0), name);
        ASSERT_EQ(EncodeOgg(job, env), 1);
        const std::string ogg = ReadFile(item().outputPath);
        ASSERT_EQ(ogg.substr(0, 4), "OggS");
        serials.push_back(ogg.substr(14, 4));
    }
    EXPECT_NE(serials[0], serials[1]);
    EXPECT_NE(serials[1], serials[2]);
    EXPECT_NE(serials[0], serials[2]);
}

TEST_F(OggEncodeTest, OnlyCdAudioIsEncodedUnlikeMp3) {
    for (const auto& [channels, rate] :
         {std::pair<std::uint16_t, std::uint32_t>{1, 44100}, {2, 48000}, {2, 22050}}) {
        const std::string source = UseSource(ToneWav(4410, channels, rate));
        EXPECT_EQ(EncodeOgg(job, env), 0);
        EXPECT_EQ(LogTexts().back(), "错误: 不支持文件 " + source + " 的 wave 格式！");
    }
}

}  // namespace
}  // namespace korvida
