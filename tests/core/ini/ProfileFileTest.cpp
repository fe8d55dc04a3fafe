#include "core/ini/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempHome.h"

namespace korvida {
namespace {

ProfileFile Parsed(const std::string& text) {
    ProfileFile file;
    file.Parse(text);
    return file;
}

TEST(ProfileFile, LooksUpNamesWithoutRegardToCaseAndTrimsValues) {
    const ProfileFile file = Parsed(
        "; comment=ignored\n"
        "[ General ]\n"
        "  OutputFolder =  /music/out  \n"
        "Quoted=\" padded \"\n"
        "[misc]\n"
        "Width=640\n");
    EXPECT_EQ(file.GetString("GENERAL", "outputfolder", "x"), "/music/out");
    EXPECT_EQ(file.GetString("general", "Quoted", "x"), " padded ");
    EXPECT_EQ(file.GetInt("MISC", "WIDTH", 0), 640);
    EXPECT_EQ(file.GetString("Misc", "Missing", "fallback"), "fallback");
    EXPECT_EQ(file.GetInt("NoSection", "Width", 7), 7);
    EXPECT_FALSE(file.HasKey("General", "; comment"));
}

TEST(ProfileFile, ReadsIntegersAsTheLeadingDecimalNumber) {
    const ProfileFile file =
        Parsed("[S]\nA=42abc\nB=abc\nC=-3\nD=\nE= +17 \nF=99999999999999\nG=0x10\n");
    EXPECT_EQ(file.GetInt("S", "A", 5), 42);
    EXPECT_EQ(file.GetInt("S", "B", 5), 5);
    EXPECT_EQ(file.GetInt("S", "C", 5), -3);
    EXPECT_EQ(file.GetInt("S", "D", 5), 5);
    EXPECT_EQ(file.GetInt("S", "E", 5), 17);
    EXPECT_EQ(file.GetInt("S", "F", 5), 2147483647);
    EXPECT_EQ(file.GetInt("S", "G", 5), 0);
}

TEST(ProfileFile, CutsValuesToTheBufferWithoutSplittingACharacter) {
    // "月" is three bytes: a cut inside it drops the whole character.
    const ProfileFile file = Parsed("[S]\nK=ab月cd\nD=abcdef\n");
    EXPECT_EQ(file.GetString("S", "K", "", 4), "ab");
    EXPECT_EQ(file.GetString("S", "K", "", 6), "ab月");
    EXPECT_EQ(file.GetString("S", "D", "", 4), "abc");
    EXPECT_EQ(file.GetString("S", "Missing", "defaultvalue", 5), "defa");
}

TEST(ProfileFile, WritesKeysInPlaceAndKeepsEveryOtherLine) {
    ProfileFile file = Parsed(
        "; my settings\n"
        "[MP3]\n"
        "bitrate = 8 ; old\n"
        "Unknown=keep me\n"
        "\n"
        "; trailing comment of MP3\n"
        "[Misc]\n"
        "X=1");
    file.SetInt("MP3", "BitRate", 10);
    file.SetString("mp3", "NewKey", "new");
    file.SetString("Extra", "Key", "value");
    EXPECT_EQ(file.Text(),
              "; my settings\n"
              "[MP3]\n"
              "bitrate=10\n"
              "Unknown=keep me\n"
              "NewKey=new\n"
              "\n"
              "; trailing comment of MP3\n"
              "[Misc]\n"
              "X=1\n"
              "\n"
              "[Extra]\n"
              "Key=value\n");
}

TEST(ProfileFile, DuplicateSectionsAndKeysActAsOneFirstWins) {
    ProfileFile file = Parsed("[A]\nK=1\nK=2\n[B]\n[a]\nK=3\nL=4\n");
    EXPECT_EQ(file.GetInt("A", "K", 0), 1);
    EXPECT_EQ(file.GetInt("A", "L", 0), 4);
    file.SetInt("A", "K", 9);
    EXPECT_EQ(file.GetInt("A", "K", 0), 9);
    EXPECT_EQ(file.Sections(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(file.Keys("A"), (std::vector<std::string>{"K", "L"}));
}

TEST(ProfileFile, ValuesRoundTripWhateverTheirEdgesAndLineBreaks) {
    ProfileFile file;
    const std::string values[] = {" ", "  lead", "trail ", "\"quoted\"", "'single'", "a=b"};
    for (std::size_t i = 0; i < std::size(values); ++i)
        file.SetString("S", "K" + std::to_string(i), values[i]);
    // A line break must not start a key of its own when the file is read again.
    file.SetString("S", "Title", "one\nEvil=injected");
    ProfileFile again = Parsed(file.Text());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(again.GetString("S", "K" + std::to_string(i), "?"), values[i]);
    EXPECT_EQ(again.GetString("S", "Title", ""), "one Evil=injected");
    EXPECT_FALSE(again.HasKey("S", "Evil"));
}

TEST(ProfileFile, KeepsCrLfAndSurvivesGarbage) {
    ProfileFile crlf = Parsed("[S]\r\nK=v\r\n");
    crlf.SetString("S", "L", "w");
    EXPECT_EQ(crlf.Text(), "[S]\r\nK=v\r\nL=w\r\n");

    // A byte order mark before the first header hides neither the section nor its keys.
    ProfileFile marked = Parsed("\xEF\xBB\xBF[MP3]\nBitRate=3\n");
    EXPECT_EQ(marked.GetInt("MP3", "BitRate", 8), 3);
    marked.SetInt("MP3", "BitRate", 5);
    EXPECT_EQ(marked.Text(), "\xEF\xBB\xBF[MP3]\nBitRate=5\n");

    std::string garbage = "[unterminated\n=novalue\n]]]\n[S]\n\x01\x02\xff=\xfe\n";
    garbage += std::string(100000, 'x') + "=" + std::string(100000, 'y');
    ProfileFile file = Parsed(garbage);
    EXPECT_EQ(file.GetString("S", std::string(100000, 'x'), "", 2500).size(), 2499u);
    EXPECT_EQ(file.GetString("unterminated", "novalue", "d"), "d");
}

TEST(ProfileFile, SaveReplacesTheFileWholeAndDeletes) {
    test::TempDir dir;
    const std::string path = dir / "x.ini";
    ProfileFile file;
    ASSERT_TRUE(file.Load(path));  // a missing file is an empty profile
    file.SetString("A", "K", "v");
    file.SetString("B", "K", "w");
    ASSERT_TRUE(file.Save(path));
    ProfileFile loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_TRUE(loaded.DeleteSection("a"));
    EXPECT_TRUE(loaded.DeleteKey("B", "k"));
    EXPECT_FALSE(loaded.DeleteKey("B", "k"));
    EXPECT_EQ(loaded.Text(), "[B]\n");

    // A path that exists but cannot be read is not an empty profile: saving that would
    // replace whatever is there.
    std::string readError;
    EXPECT_FALSE(loaded.Load(dir.path(), &readError));
    EXPECT_NE(readError.find(dir.path()), std::string::npos) << readError;

    // A save into a folder that cannot exist fails and says where.
    std::string error;
    EXPECT_FALSE(file.Save(dir / "x.ini/sub.ini", &error));
    EXPECT_NE(error.find("sub.ini"), std::string::npos);
}

// A FIFO would block the reader until a writer comes, /dev/zero never ends: only regular
// files of a sane size are read, and a refused file is reported, not read as empty (a
// save would otherwise replace it).
TEST(ProfileFile, ReadsOnlyRegularFilesOfBoundedSize) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (dir / "zero").c_str()), 0);
    {
        test::WriteFile(dir / "huge", "");
        std::filesystem::resize_file(dir / "huge", ProfileFile::kMaxProfileBytes + 1);
    }
    test::WriteFile(dir / "real", "[A]\nk=v\n");
    ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);

    for (const char* name : {"fifo", "zero", "huge", "."}) {
        ProfileFile file;
        file.Parse("[Old]\nk=1\n");
        std::string error;
        EXPECT_FALSE(file.Load(dir / name, &error)) << name;
        EXPECT_EQ(error.rfind(dir / name + ": ", 0), 0u) << error;
        EXPECT_FALSE(file.HasSection("Old")) << name;
    }
    ProfileFile linked;
    ASSERT_TRUE(linked.Load(dir / "link"));
    EXPECT_EQ(linked.GetString("A", "k", ""), "v");
}

}  // namespace
}  // namespace korvida
