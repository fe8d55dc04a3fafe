// korvida-cli rip --log and verify-log: the rip log and the cue sheet on CD images, read
// back by the program itself (--image, toc) and by libcdio's cd-info.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/text/FormatText.h"
#include "support/RipTestSupport.h"
#include "support/RunCli.h"
#include "support/SharedDemoDisc.h"
#include "support/SmallDisk.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

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
    EXPECT_THAT(test::Lines(r.out), ElementsAre(out + "01-音轨 1.WAV", out + "02-音轨 2.WAV",
                                                out + "03-音轨 3.WAV", cue, log));

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

    if (!test::HaveTool("cd-info"))
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

// Three audio tracks of 300 frames and a data track of 300: an enhanced CD, whose data
// session follows the 11400 frames between the sessions (a PREGAP here), or a mixed-mode
// disc, whose data track comes first.
std::string DataTrackDisc(const test::TempDir& folder, bool dataFirst) {
    test::WriteFile(folder / "audio.bin", test::Frames(0, 900));
    test::WriteFile(folder / "data.bin", std::string(300 * 2352, '\x5a'));
    const auto data = [](int number, const char* pregap) {
        return FormatText(
            "FILE \"data.bin\" BINARY\n  TRACK %02d MODE1/2352\n%s"
            "    INDEX 01 00:00:00\n",
            number, pregap);
    };
    std::string cue = "PERFORMER \"Artist\"\nTITLE \"Album\"\n";
    if (dataFirst)
        cue += data(1, "");
    cue += "FILE \"audio.bin\" BINARY\n";
    for (int i = 0; i < 3; ++i)
        cue += FormatText("  TRACK %02d AUDIO\n    INDEX 01 00:%02d:00\n", i + (dataFirst ? 2 : 1),
                          i * 4);
    if (!dataFirst)
        cue += "REM SESSION 02\n" + data(4, "    PREGAP 02:32:00\n");
    const std::string path = folder / (dataFirst ? "mixed.cue" : "enhanced.cue");
    test::WriteFile(path, cue);
    return path;
}

class DataTrackRip : public ::testing::TestWithParam<bool> {
  protected:
    test::TempHome home;
    test::TempDir discs;
};

// The audio tracks rip, verified and logged; the data track is listed, left unticked and
// kept in the cue sheet, which gives the whole disc back. The last audio track of the
// enhanced CD ends with its session.
TEST_P(DataTrackRip, AudioTracksRipAndTheCueSheetKeepsTheDataTrack) {
    const bool dataFirst = GetParam();
    const std::string disc = DataTrackDisc(discs, dataFirst);
    const auto r = test::RunCli({"--image", disc, "rip", "--format", "wav", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = home / "output/";
    const int first = dataFirst ? 2 : 1;
    std::vector<std::string> files;
    for (int n = first; n < first + 3; ++n)
        files.push_back(out + FormatText("%02d-音轨 %d.WAV", n, n));
    const std::string cue = out + "Artist - Album.cue";
    EXPECT_THAT(test::Lines(r.out),
                ElementsAre(files[0], files[1], files[2], cue, out + "Artist - Album.log"));
    EXPECT_THAT(r.err, Not(HasSubstr("跳过数据音轨")));
    EXPECT_EQ(test::ReadFile(files[2]).size(), 44u + 300 * 2352);

    const auto original = test::RunCli({"--image", disc, "toc"});
    const auto again = test::RunCli({"--image", cue, "toc"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, original.out);
    EXPECT_THAT(original.out, HasSubstr(dataFirst ? "01\t14\t0\t" : "04\t14\t12300\t"));

    // A ticked data track is left out with a line; the audio beside it still rips.
    const std::string tracks = dataFirst ? "1-2" : "3-4";
    const auto ticked = test::RunCli({"--image", disc, "rip", "--format", "flac", "--tracks",
                                      tracks, "--output", home / "ticked"});
    ASSERT_EQ(ticked.status, 0) << ticked.err;
    EXPECT_THAT(ticked.err, HasSubstr(dataFirst ? "跳过数据音轨 01。" : "跳过数据音轨 04。"));
    EXPECT_THAT(ticked.err, HasSubstr("正在抓取 (01/01)"));
    const int audio = dataFirst ? 2 : 3;
    EXPECT_EQ(ticked.out, home / FormatText("ticked/%02d-音轨 %d.flac\n", audio, audio));
}

INSTANTIATE_TEST_SUITE_P(Discs, DataTrackRip, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MixedMode" : "EnhancedCd"; });

TEST(RipLogFiles, FlacRipsGetTheCueSheetToo) {
    test::TempHome home;
    const auto r = test::RunCli(
        {"--image", test::SharedDemoDisc(), "rip", "--format", "flac", "--log", "--tracks", "1-3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = home / "output/";
    EXPECT_THAT(test::Lines(r.out),
                ElementsAre(out + "01-音轨 1.flac", out + "02-音轨 2.flac", out + "03-音轨 3.flac",
                            out + "Artist - Album.cue", out + "Artist - Album.log"));
    EXPECT_THAT(test::ReadFile(out + "Artist - Album.cue"),
                HasSubstr("FILE \"03-音轨 3.flac\" WAVE\n  TRACK 03 AUDIO\n"));
}

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
    EXPECT_THAT(test::Lines(partial.out),
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
