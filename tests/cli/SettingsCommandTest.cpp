#include <gtest/gtest.h>

#include "support/RunCli.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

TEST(SettingsCommand, PrintsEverySettingAfterDefaultsAndClamps) {
    test::TempHome home;
    test::WriteFile(home / "Settings.ini", "[Misc]\nWindowWidth=1000\n[CDROM]\nRetryTimes=0\n");
    const auto r = test::RunCli({"settings"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("[MP3]\nMP3Encoder=0\nBitRate=8\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("WindowWidth=600\n"), std::string::npos);
    EXPECT_NE(r.out.find("RetryTimes=5\n"), std::string::npos);
    EXPECT_NE(r.out.find("[Ogg Vorbis]\nQuality=50\n"), std::string::npos);
    // Printing does not write the file.
    EXPECT_EQ(test::ReadFile(home / "Settings.ini"),
              "[Misc]\nWindowWidth=1000\n[CDROM]\nRetryTimes=0\n");
}

TEST(SettingsCommand, SetSavesAndKeepsTheRestOfTheFile) {
    test::TempHome home;
    test::WriteFile(home / "Settings.ini", "; mine\n[MP3]\nBitRate=3\n");
    const auto r = test::RunCli({"settings", "--set", "MP3.BitRate=10", "Ogg Vorbis.Orig.Artist=1",
                                 "misc.NamingRule=<album>/<title>"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = test::ReadFile(home / "Settings.ini");
    EXPECT_EQ(text.rfind("; mine\n[MP3]\nBitRate=10\n", 0), 0u) << text;
    EXPECT_NE(text.find("Orig.Artist=1\n"), std::string::npos);
    EXPECT_NE(text.find("NamingRule=<album>/<title>\n"), std::string::npos);
}

TEST(SettingsCommand, RefusesWhatItCannotSetWithStatus2) {
    test::TempHome home;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"settings", "--set", "MP3.NoSuchKey=1"},
                                               {"settings", "--set", "MP3.BitRate=fast"},
                                               {"settings", "--set", "BitRate=1"},
                                               {"settings", "--bogus"},
                                               {"no-such-command"},
                                               {"--drive", "x", "settings"},
                                               {}}) {
        const auto r = test::RunCli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(r.err.empty());
    }
    const auto help = test::RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("settings --set"), std::string::npos);
}

}  // namespace
}  // namespace korvida
