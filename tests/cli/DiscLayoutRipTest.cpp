// korvida-cli rip --gaps and --whole-disc on discs whose sub-channel holds more than their
// TOC: the cue sheet must give the disc back, and a rip of that sheet the same files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/AudioTestSupport.h"
#include "support/DiscImage.h"
#include "support/GapDiscs.h"
#include "support/RunCli.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class DiscLayoutRip : public ::testing::TestWithParam<test::GapDisc> {
  protected:
    test::TempHome home;
    test::TempDir discs;
};

// The WAV files of a plain rip of `cue` into `folder`, by name, as digests.
std::vector<std::pair<std::string, std::string>> PlainRip(const std::string& cue,
                                                          const std::string& folder) {
    const auto r =
        test::RunCli({"--quiet", "--image", cue, "rip", "--format", "wav", "--output", folder});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& path : test::Lines(r.out))
        // A digest keeps a failure's message short; any changed byte still shows.
        files.emplace_back(std::filesystem::path(path).filename(),
                           std::to_string(std::hash<std::string>{}(test::ReadFile(path))));
    return files;
}

// The verification lines of a rip's standard error.
std::vector<std::string> Checksums(const std::string& err) {
    std::vector<std::string> lines;
    for (const std::string& line : test::Lines(err))
        if (line.find(" CRC32 ") != std::string::npos)
            lines.push_back(line);
    return lines;
}

TEST_P(DiscLayoutRip, TheCueSheetGivesTheDiscBackAndRipsTheSame) {
    const test::GapDisc& disc = GetParam();
    const std::string source = test::WriteGapDisc(discs.path(), disc);
    ASSERT_EQ(test::RunCli({"settings", "--set", "CDROM.HiddenTrack=1"}).status, 0);
    const std::string out = home / "output/";
    const auto r = test::RunCli({"--image", source, "rip", "--format", "wav", "--log", "--gaps"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("音轨 03: "));
    const std::string cue = out + "Artist - Album.cue";
    const std::string cueText = test::ReadFile(cue);

    // The sheet, opened as a CD image, has the disc's TOC and ids.
    const auto original = test::RunCli({"--image", source, "toc"});
    const auto again = test::RunCli({"--image", cue, "toc"});
    ASSERT_EQ(again.status, 0) << again.err << cueText;
    EXPECT_EQ(again.out, original.out) << cueText;

    // And its frames are the disc's: a rip of either gives the same files.
    EXPECT_EQ(PlainRip(cue, home / "from-sheet"), PlainRip(source, home / "from-disc"));

    const bool hidden = std::string(disc.name) == "HiddenTrack";
    const std::string hiddenFile = out + "00-隐藏音轨.WAV";
    EXPECT_EQ(std::filesystem::exists(hiddenFile), hidden);
    if (hidden) {
        EXPECT_THAT(r.err, HasSubstr("发现隐藏音轨 (00:13.37)"));
        EXPECT_EQ(test::ReadFile(hiddenFile).substr(44), test::Frames(0, 1012));
        EXPECT_THAT(cueText, HasSubstr("FILE \"00-隐藏音轨.WAV\" WAVE\n  TRACK 01 AUDIO\n"));
    }
    if (std::string(disc.name) == "TwoSecondGap") {
        // Gaps appended: track 2's pregap ends track 1's file.
        EXPECT_THAT(cueText, HasSubstr("    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE "));
        EXPECT_THAT(cueText, HasSubstr("    INDEX 00 00:08:00\nFILE \"02-音轨 2.WAV\" WAVE\n"));
    }
    if (std::string(disc.name) == "PreEmphasis") {
        EXPECT_THAT(r.err, HasSubstr("音轨 02 带有预加重 (未去加重)"));
        EXPECT_THAT(cueText, HasSubstr("    FLAGS DCP PRE\n"));
        // Asked for, the track is de-emphasised before it is written.
        ASSERT_EQ(test::RunCli({"settings", "--set", "CDROM.DeEmphasis=1"}).status, 0);
        const auto filtered = test::RunCli({"--image", source, "rip", "--format", "wav", "--tracks",
                                            "2", "--output", home / "filtered"});
        ASSERT_EQ(filtered.status, 0) << filtered.err;
        EXPECT_THAT(filtered.err, HasSubstr("音轨 02 带有预加重，已去加重 (50/15 µs)"));
        const std::string plain = test::ReadFile(out + "02-音轨 2.WAV");
        const std::string changed = test::ReadFile(home / "filtered/02-音轨 2.WAV");
        EXPECT_EQ(changed.size(), plain.size());
        EXPECT_NE(changed, plain);
        ASSERT_EQ(test::RunCli({"settings", "--set", "CDROM.DeEmphasis=0"}).status, 0);
    }
    const std::string log = test::ReadFile(out + "Artist - Album.log");
    EXPECT_THAT(log, HasSubstr("音轨间隙 (从子通道检测)\n"));

    // One image of the disc: the same checksums, a sheet with one FILE that gives the
    // disc back, and for FLAC a CUESHEET block that metaflac reads.
    for (const char* format : {"wav", "flac"}) {
        SCOPED_TRACE(format);
        const std::string folder = home / (std::string("image-") + format);
        const auto image = test::RunCli({"--quiet", "--image", source, "rip", "--format", format,
                                         "--gaps", "--whole-disc", "--output", folder});
        ASSERT_EQ(image.status, 0) << image.err;
        const std::string file = folder + "/Artist - Album." + format;
        const std::string sheet = folder + "/Artist - Album.cue";
        EXPECT_EQ(test::Lines(image.out), (std::vector<std::string>{file, sheet}));
        EXPECT_EQ(Checksums(image.err), Checksums(r.err));
        const std::string sheetText = test::ReadFile(sheet);
        EXPECT_EQ(sheetText.find("FILE "), sheetText.rfind("FILE ")) << sheetText;
        if (std::string(format) == "wav") {
            EXPECT_EQ(test::RunCli({"--image", sheet, "toc"}).out, original.out) << sheetText;
            EXPECT_EQ(PlainRip(sheet, folder + "/again"), PlainRip(source, home / "from-disc"));
        } else if (test::HaveTool("flac") && test::HaveTool("metaflac")) {
            EXPECT_EQ(std::system(("flac -s -t '" + file + "'").c_str()), 0);
            const std::string exported = folder + "/exported.cue";
            ASSERT_EQ(
                std::system(
                    ("metaflac --export-cuesheet-to='" + exported + "' '" + file + "'").c_str()),
                0);
            const std::string text = test::ReadFile(exported);
            EXPECT_THAT(text, HasSubstr("  TRACK 03 AUDIO\n"));
            EXPECT_EQ(text.find("INDEX 00 00:00:00") != std::string::npos, hidden) << text;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Discs, DiscLayoutRip, ::testing::ValuesIn(test::GapDiscs()),
                         [](const auto& info) { return std::string(info.param.name); });

// Without detection the rip log says so, and the sheet is today's; images are WAV or FLAC.
TEST(DiscLayoutRipDefaults, WithoutDetectionTheLogSaysSoAndLossyImagesAreRefused) {
    test::TempHome home;
    test::TempDir discs;
    const std::string source = test::WriteGapDisc(discs.path(), test::GapDiscs()[0]);
    const auto r = test::RunCli({"--image", source, "rip", "--format", "wav", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(test::ReadFile(home / "output/Artist - Album.log"),
                HasSubstr("\n音轨间隙: 未检测\n"));
    EXPECT_THAT(test::ReadFile(home / "output/Artist - Album.cue"), Not(HasSubstr("INDEX 00")));

    // A lossy whole-disc image is refused before a frame is read.
    const auto lossy = test::RunCli(
        {"--image", source, "rip", "--format", "ogg", "--whole-disc", "--output", home / "lossy"});
    EXPECT_EQ(lossy.status, 1);
    EXPECT_THAT(lossy.err, HasSubstr("整张光盘映像只能是 WAV 或 FLAC 文件"));
    EXPECT_FALSE(std::filesystem::exists(home / "lossy/Artist - Album.cue"));
    const auto some = test::RunCli({"--image", source, "rip", "--format", "wav", "--whole-disc",
                                    "--tracks", "1,3", "--output", home / "some"});
    EXPECT_EQ(some.status, 1);
    EXPECT_THAT(some.err, HasSubstr("整张光盘映像需要选中所有音频音轨。"));
    ASSERT_EQ(test::RunCli({"settings", "--set", "CDROM.DeleteSilence=1"}).status, 0);
    const auto trimmed = test::RunCli({"--image", source, "rip", "--format", "wav", "--whole-disc",
                                       "--output", home / "trimmed"});
    EXPECT_EQ(trimmed.status, 1);
    EXPECT_THAT(trimmed.err, HasSubstr("整张光盘映像不能删除静音"));
}

}  // namespace
}  // namespace korvida
