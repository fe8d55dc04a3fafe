#include "core/encode/Id3Tag.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EncodeTestSupport.h"
#include "core/encode/Mp3Encoder.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Id3GenreTest, TableAndLookupAreExactAndCaseSensitive) {
    ASSERT_EQ(ID3GenreNames.size(), 126u);
    EXPECT_STREQ(ID3GenreNames[0], "Blues");
    EXPECT_STREQ(ID3GenreNames[67], "Psychadelic");
    EXPECT_STREQ(ID3GenreNames[85], "Bebob");
    EXPECT_STREQ(ID3GenreNames[93], "Psychedelic Rock");
    EXPECT_STREQ(ID3GenreNames[123], "Acapella");
    EXPECT_STREQ(ID3GenreNames[125], "Dance Hall");
    for (std::size_t i = 0; i < ID3GenreNames.size(); ++i)
        EXPECT_EQ(LookupGenreIndex(ID3GenreNames[i]), static_cast<int>(i)) << ID3GenreNames[i];
    EXPECT_EQ(LookupGenreIndex("rock"), 12);
    EXPECT_EQ(LookupGenreIndex("Rock "), 12);
    EXPECT_EQ(LookupGenreIndex(""), 12);
}

std::string Field(const Id3v1Record& r, std::size_t offset, std::size_t width) {
    return std::string(reinterpret_cast<const char*>(r.data()) + offset, width);
}

TEST(Id3v1Test, FieldsAreCutZeroFilledAndTheTrackTakesTheLastCommentBytes) {
    RipJobItem item;
    item.index = 4;
    item.track.Title = std::string(31, 't');
    item.track.Artist = std::string(30, 'a');
    item.track.Year = "19991";
    item.track.Comment = std::string(40, 'c');
    item.track.GenreName = "Rock";
    Id3v1Record r = BuildId3v1(item);
    EXPECT_EQ(Field(r, 0, 3), "TAG");
    EXPECT_EQ(Field(r, 3, 30), std::string(30, 't'));
    EXPECT_EQ(Field(r, 33, 30), std::string(30, 'a'));  // exactly 30: no terminator
    EXPECT_EQ(Field(r, 63, 30), std::string(30, '\0'));
    EXPECT_EQ(Field(r, 93, 4), "1999");
    EXPECT_EQ(Field(r, 97, 28), std::string(28, 'c'));
    EXPECT_EQ(r[125], 0);
    EXPECT_EQ(r[126], 5);
    EXPECT_EQ(r[127], 17);

    // A file-job item has no track number: the comment keeps all 30 bytes.
    item.index = -1;
    item.track.Comment = std::string(30, 'c');
    item.track.GenreName = "rock";
    r = BuildId3v1(item);
    EXPECT_EQ(Field(r, 97, 30), std::string(30, 'c'));
    EXPECT_EQ(r[127], 12);
}

// Reads the ID3v2 frames back with mutagen, one line per frame in stored order:
// "ID<TAB>encoding<TAB>text" (the URL for WXXX); "NOTAG" without a tag.
std::vector<std::string> MutagenFrames(const TempDir& dir, const std::string& path) {
    const std::string script =
        "import sys\n"
        "from mutagen.id3 import ID3, ID3NoHeaderError\n"
        "try:\n"
        "    tag = ID3(sys.argv[1], translate=False, load_v1=False)\n"
        "except ID3NoHeaderError:\n"
        "    print('NOTAG'); sys.exit(0)\n"
        "for f in tag.values():\n"
        "    text = f.url if f.FrameID == 'WXXX' else str(f.text[0])\n"
        "    print(f.FrameID, int(f.encoding), text, sep='\\t')\n";
    WriteFile(dir / "frames.py", script);
    const std::string out = RunCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 '" +
                                       dir / "frames.py" + "' '" + path + "'");
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(out.substr(start, end - start));
    return lines;
}

class Id3FileTest : public EncodeJobTest {
  protected:
    std::string Encode() {
        UseSource(ToneWav(1152 * 3));
        EXPECT_EQ(EncodeMp3(job, env), 1);
        return ReadFile(item().outputPath);
    }
};

TEST_F(Id3FileTest, EveryFrameReadsBackWithNonAsciiTextAsUtf16) {
    TrackInfo& t = item().track;
    t.Title = "月亮代表我的心";
    t.Artist = "邓丽君";
    t.Album = "Album 🎵";  // outside the BMP: a surrogate pair
    t.Year = "1977";
    t.Comment = std::string(40, 'c');
    t.Composer = "汤尼";
    t.OrigArtist = "Orig";
    t.Copyright = "© 1977";
    t.URL = "http://example.com/歌";
    t.EncodedBy = "Korvida";
    t.GenreName = "Rock";
    item().index = 4;
    const std::string mp3 = Encode();

    EXPECT_THAT(
        MutagenFrames(dir, item().outputPath),
        ElementsAre("TIT2\t1\t月亮代表我的心", "TPE1\t1\t邓丽君", "TALB\t1\tAlbum 🎵",
                    "TYER\t0\t1977", "COMM\t0\t" + std::string(40, 'c'), "TCOM\t1\t汤尼",
                    "TOPE\t0\tOrig", "TCOP\t1\t© 1977", "WXXX\t0\thttp://example.com/%E6%AD%8C",
                    "TENC\t0\tKorvida", "TRCK\t0\t05", "TCON\t0\t(17)Rock"));
    // The ID3v1 record stays at the end, raw bytes and all.
    const Id3v1Record v1 = BuildId3v1(item());
    EXPECT_EQ(mp3.substr(mp3.size() - 128), std::string(v1.begin(), v1.end()));
}

TEST_F(Id3FileTest, EmptyFieldsGiveNoFramesNotEvenFromTheId3v1Record) {
    const std::string mp3 = Encode();
    const std::vector<std::string> frames = MutagenFrames(dir, item().outputPath);
    EXPECT_TRUE(frames == std::vector<std::string>{"NOTAG"} || frames.empty())
        << ::testing::PrintToString(frames);
    EXPECT_EQ(mp3.substr(mp3.size() - 128, 3), "TAG");
    EXPECT_EQ(static_cast<unsigned char>(mp3.back()), 12);
}

TEST_F(Id3FileTest, IsrcIsTsrcAndAJpegOrPngCoverAFrontCoverApic) {
    WriteFile(dir / "read.py",
              "import sys\n"
              "from mutagen.id3 import ID3\n"
              "tag = ID3(sys.argv[1], translate=False, load_v1=False)\n"
              "print(tag['TSRC'].text[0])\n"
              "cover = open(sys.argv[2], 'rb').read()\n"
              "for p in tag.getall('APIC'):\n"
              "    print(p.mime, int(p.type), repr(p.desc), p.data == cover)\n");
    item().isrc = "FRZ039900212";
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0};
    for (const auto& [bytes, apic] : std::vector<std::pair<std::vector<std::uint8_t>, std::string>>{
             {CoverBytes(true), "image/png 3 '' True\n"},
             {CoverBytes(false), "image/jpeg 3 '' True\n"},
             {gif, ""}}) {  // neither: embedding it would show garbage or nothing
        job.coverArt = std::make_shared<const std::vector<std::uint8_t>>(bytes);
        WriteFile(dir / "cover", std::string(bytes.begin(), bytes.end()));
        Encode();
        EXPECT_EQ(RunCommand("/usr/bin/python3 '" + dir / "read.py" + "' '" + item().outputPath +
                             "' '" + dir / "cover" + "'"),
                  "FRZ039900212\n" + apic);
    }
}

TEST_F(Id3FileTest, EachTagIsWrittenOnlyWhenSwitchedOn) {
    item().track.Title = "T";
    for (const int v1 : {0, 1}) {
        for (const int v2 : {0, 1}) {
            settings.EnableID3 = v1;
            settings.EnableID3V2 = v2;
            const std::string mp3 = Encode();
            EXPECT_EQ(mp3.substr(mp3.size() - 128, 3) == "TAG", v1 == 1) << v1 << v2;
            EXPECT_EQ(mp3.substr(0, 3) == "ID3", v2 == 1) << v1 << v2;
        }
    }
}

}  // namespace
}  // namespace korvida
