// korvida-cli rip --log and verify-log: the rip log and the cue sheet on CD images, read
// back by the program itself (--image, toc) and by libcdio's cd-info.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/RunCli.h"
#include "support/SharedDemoDisc.h"
#include "support/SmallDisk.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool HaveCdInfo() {
    return std::system("command -v cd-info >/dev/null 2>&1") == 0;
}

// The disc whose TOC the sheet must give back: the demo disc as it is, and the same
// frames with a first track that starts two seconds in and a track with pre-emphasis and
// copy permission, which the sheet must carry as PREGAP and FLAGS.
std::string SourceDisc(bool pregap, const test::TempDir& folder) {
    const std::string demo = test::SharedDemoDisc();
    if (!pregap)
        return demo;
    const std::string bin = std::filesystem::path(demo).replace_extension(".bin").string();
    test::WriteFile(folder / "pregap.cue", "FILE \"" + bin +
                                               "\" BINARY\n"
                                               "  TRACK 01 AUDIO\n"
                                               "    PREGAP 00:02:00\n"
                                               "    INDEX 01 00:00:00\n"
                                               "  TRACK 02 AUDIO\n"
                                               "    FLAGS PRE DCP\n"
                                               "    INDEX 01 00:21:00\n"
                                               "  TRACK 03 AUDIO\n"
                                               "    INDEX 00 00:37:00\n"
                                               "    INDEX 01 00:38:00\n");
    return folder / "pregap.cue";
}

class RipLog : public ::testing::TestWithParam<bool> {
  protected:
    test::TempHome home;
    test::TempDir discs;
};

TEST_P(RipLog, WavRipWritesSealedLogAndCueThatGivesTheDiscBack) {
    const std::string disc = SourceDisc(GetParam(), discs);
    const auto r = test::RunCli({"--image", disc, "rip", "--format", "wav", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = home / "output/";
    const std::string log = out + "Artist - Album.log";
    const std::string cue = out + "Artist - Album.cue";
    EXPECT_THAT(Lines(r.out), ElementsAre(out + "01-音轨 1.WAV", out + "02-音轨 2.WAV",
                                          out + "03-音轨 3.WAV", log));

    // The sheet as a CD image has the disc's TOC, track list and ids.
    const auto original = test::RunCli({"--image", disc, "toc"});
    const auto again = test::RunCli({"--image", cue, "toc"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, original.out);

    const std::string logText = test::ReadFile(log);
    EXPECT_THAT(logText, HasSubstr("  抓取完成\n"));
    EXPECT_THAT(logText, HasSubstr("cue 表: Artist - Album.cue\n"));
    EXPECT_THAT(logText, HasSubstr("文件: " + out + "03-音轨 3.WAV\n"));

    const auto intact = test::RunCli({"verify-log", log});
    EXPECT_EQ(intact.status, 0) << intact.err;
    EXPECT_EQ(intact.out, "ok\n");
    // One byte changed in the middle of the text.
    std::string edited = logText;
    const std::size_t at = edited.find("03-音轨 3.WAV");
    ASSERT_NE(at, std::string::npos);
    edited[at + 1] = '4';
    test::WriteFile(log, edited);
    const auto changed = test::RunCli({"verify-log", log});
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.out, "changed\n");

    if (!HaveCdInfo())
        return;
    // cd-info opens the binary named like the sheet whatever its FILE lines say, and lays
    // every FILE at LSN 0: it checks that the sheet parses, with its tracks and titles.
    test::WriteFile(out + "cdinfo.cue", test::ReadFile(cue));
    test::WriteFile(out + "cdinfo.bin", "");
    const std::string report = out + "cdinfo.txt";
    ASSERT_EQ(std::system(("cd '" + out + "' && cd-info --no-header --no-device-info --no-cddb " +
                           "--cue-file cdinfo.cue >'" + report + "' 2>&1")
                              .c_str()),
              0);
    const std::string cdInfo = test::ReadFile(report);
    EXPECT_THAT(cdInfo, HasSubstr("CD-ROM Track List (1 - 3)"));
    EXPECT_THAT(cdInfo, HasSubstr("TITLE: "));
    EXPECT_THAT(cdInfo, Not(HasSubstr("ERROR")));
}

INSTANTIATE_TEST_SUITE_P(Discs, RipLog, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Pregap" : "Demo"; });

TEST(RipLogFiles, WithoutLogNoNewFilesAndPartialOrFailedRipsGetNoCue) {
    test::TempHome home;
    const std::string disc = test::SharedDemoDisc();
    const auto plain = test::RunCli({"--image", disc, "rip", "--format", "wav"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(test::FolderListing(home / "output"), "01-音轨 1.WAV 02-音轨 2.WAV 03-音轨 3.WAV");

    // Some of the tracks: the log, but no sheet that would claim a TOC.
    const auto partial = test::RunCli({"--image", disc, "rip", "--format", "wav", "--log",
                                       "--tracks", "2", "--output", home / "partial"});
    ASSERT_EQ(partial.status, 0) << partial.err;
    EXPECT_THAT(Lines(partial.out),
                ElementsAre(home / "partial/02-音轨 2.WAV", home / "partial/Artist - Album.log"));
    EXPECT_FALSE(std::filesystem::exists(home / "partial/Artist - Album.cue"));
    EXPECT_THAT(test::ReadFile(home / "partial/Artist - Album.log"),
                HasSubstr("cue 表: 未写入 (并非所有音轨都已抓取)\n"));

    // A rip that fails at its last track still leaves a sealed log saying so.
    std::filesystem::create_directories(home / "failed/03-音轨 3.WAV");
    const auto failed = test::RunCli(
        {"--image", disc, "rip", "--format", "wav", "--log", "--output", home / "failed"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, (home / "failed/Artist - Album.log") + "\n");
    EXPECT_FALSE(std::filesystem::exists(home / "failed/Artist - Album.cue"));
    const std::string log = test::ReadFile(home / "failed/Artist - Album.log");
    EXPECT_THAT(log, HasSubstr("  抓取失败\n"));
    EXPECT_THAT(log, HasSubstr("    03  未完成\n"));
    EXPECT_EQ(test::RunCli({"verify-log", home / "failed/Artist - Album.log"}).out, "ok\n");
}

TEST(VerifyLog, FilesThatAreNoSealedLogAreErrors) {
    test::TempDir dir;
    test::WriteFile(dir / "plain.log", "just text\n");
    for (const std::string& path : {dir / "plain.log", dir / "missing.log", dir.path()}) {
        const auto r = test::RunCli({"verify-log", path});
        EXPECT_EQ(r.status, 2) << path;
        EXPECT_EQ(r.out, "") << path;
        EXPECT_THAT(r.err, HasSubstr(path)) << path;
    }
}

}  // namespace
}  // namespace korvida
