#include <gtest/gtest.h>

#include "support/RunCli.h"
#include "support/SharedDemoDisc.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

class DiscCommands : public testing::Test {
  protected:
    void SetUp() override { cue = test::SharedDemoDisc(); }
    test::CliResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--image", cue});
        return test::RunCli(args);
    }
    test::TempHome home;
    std::string cue;
};

TEST_F(DiscCommands, TocPrintsDescriptorsRowsAndKeys) {
    const auto r = Run({"toc"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("01\t10\t0\t00:02:00\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("leadout\t10\t4875\t01:07:00\n"), std::string::npos);
    EXPECT_NE(r.out.find("01\t音轨 1\t00:21\t3.53\n"), std::string::npos);
    EXPECT_NE(r.out.find("local key: 14004103\n"), std::string::npos);
    EXPECT_NE(r.out.find("cdplayer.ini section: 4100\n"), std::string::npos);
    // The same id as libdiscid computes for this TOC.
    EXPECT_NE(r.out.find("freedb id: 0b004103\n"), std::string::npos);
}

TEST_F(DiscCommands, InfoStoresTheDescriptionForTheNextLoad) {
    auto r = Run({"info", "--track", "2", "--set", "Title=月亮代表我的心", "Genre=17"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run({"info", "--album", "--set", "Artist=邓", "--set", "Album=Demo"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string db = test::ReadFile(home / "db/14004103.db");
    EXPECT_NE(db.find("[TRACKS]\n01=音轨 1\n02=月亮代表我的心\n"), std::string::npos) << db;
    EXPECT_NE(db.find("Artist=邓\n"), std::string::npos);
    r = Run({"toc"});
    EXPECT_NE(r.out.find("02\t月亮代表我的心\t"), std::string::npos) << r.out;

    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"info", "--track", "9", "--set", "Title=x"},
                                               {"info", "--track", "0", "--set", "Title=x"},
                                               {"info", "--set", "Nope=x"},
                                               {"info", "--album", "--set", "Title=x"},
                                               {"info", "--track", "1", "--set", "Genre=rock"},
                                               {"info"}}) {
        EXPECT_EQ(Run(bad).status, 2) << bad.back();
    }
}

TEST_F(DiscCommands, AMissingImageFailsWithItsName) {
    const auto r = test::RunCli({"--image", home / "missing.cue", "toc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.cue"), std::string::npos) << r.err;
}

TEST_F(DiscCommands, DriveNamesTheDriveAlsoAmongSeveralImages) {
    // A one-track disc over the demo disc's audio.
    const std::string single = home / "single.cue";
    test::WriteFile(single, "FILE \"" + cue.substr(0, cue.size() - 3) +
                                "bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    // Real drives come first in the table, when the machine has any.
    const auto table = test::RunCli({"--image", cue, "--image", single, "drives"});
    ASSERT_EQ(table.status, 0) << table.err;
    const std::size_t at = table.out.find("\tKORVIDA VIRTUAL CD-ROM A");
    ASSERT_NE(at, std::string::npos) << table.out;
    const int first = std::stoi(table.out.substr(table.out.rfind('\n', at) + 1));
    const auto tracks = [&](std::vector<std::string> options) {
        options.insert(options.end(), {"--image", cue, "--image", single, "toc"});
        const auto r = test::RunCli(options);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out.find("03\t音轨 3\t") != std::string::npos ? 3 : 1;
    };
    EXPECT_EQ(tracks({"--drive", std::to_string(first)}), 3);
    EXPECT_EQ(tracks({"--drive", std::to_string(first + 1)}), 1);
    EXPECT_EQ(tracks({}), 1) << "without --drive the last image is used";
}

TEST_F(DiscCommands, DrivesFeaturesTellWhatEachDriveOffersSecureReads) {
    const auto r = Run({"drives", "--features"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\tKORVIDA VIRTUAL CD-ROM"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  C2 error pointers: no\n"
                         "  accurate stream: yes\n"
                         "  cache defeat: FUA read\n"
                         "  read commands: BEh 28h D4h D8h\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Run({"drives", "--bogus"}).status, 2);
}

}  // namespace
}  // namespace korvida
