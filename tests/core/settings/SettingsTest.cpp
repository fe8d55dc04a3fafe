#include "core/settings/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini/ProfileFile.h"
#include "core/platform/AppHome.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/SettingsKeys.h"
#include "support/RecordingNotifier.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using test::RecordingNotifier;

Settings LoadFrom(const test::TempHome& home, const std::string& text) {
    test::WriteFile(home / "Settings.ini", text);
    Settings s;
    EXPECT_TRUE(LoadSettings(s, SettingsPath()));
    return s;
}

struct ClampCase {
    const char* section;
    const char* key;
    const char* stored;
    int expected;
    int Settings::*field;
};

void PrintTo(const ClampCase& c, std::ostream* os) {
    *os << c.section << "." << c.key << "=" << c.stored;
}

class SettingsClamp : public testing::TestWithParam<ClampCase> {};

TEST_P(SettingsClamp, LoadReplacesOutOfRangeValues) {
    test::TempHome home;
    const ClampCase& c = GetParam();
    const Settings s =
        LoadFrom(home, std::string("[") + c.section + "]\n" + c.key + "=" + c.stored + "\n");
    EXPECT_EQ(s.*c.field, c.expected) << c.key << "=" << c.stored;
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SettingsClamp,
    testing::Values(ClampCase{"Misc", "WindowWidth", "1000", 600, &Settings::WindowWidth},
                    ClampCase{"Misc", "WindowWidth", "100", 420, &Settings::WindowWidth},
                    ClampCase{"Misc", "WindowWidth", "800", 800, &Settings::WindowWidth},
                    ClampCase{"Misc", "WindowHeight", "600", 380, &Settings::WindowHeight},
                    ClampCase{"Misc", "WindowHeight", "599", 599, &Settings::WindowHeight},
                    ClampCase{"Misc", "WindowHeight", "10", 352, &Settings::WindowHeight},
                    ClampCase{"Misc", "WindowTop", "248", 90, &Settings::WindowTop},
                    ClampCase{"Misc", "WindowTop", "247", 247, &Settings::WindowTop},
                    ClampCase{"Misc", "WindowLeft", "0", 130, &Settings::WindowLeft},
                    ClampCase{"CDROM", "DeviceType", "12", 0, &Settings::DeviceType},
                    ClampCase{"CDROM", "DeviceType", "11", 11, &Settings::DeviceType},
                    ClampCase{"CDROM", "RetryTimes", "0", 5, &Settings::RetryTimes},
                    ClampCase{"CDROM", "BufferSize", "-3", 26, &Settings::BufferSize},
                    ClampCase{"CDROM", "CDROMDriver", "-1", 0, &Settings::CDROMDriver},
                    ClampCase{"MP3", "MP3Encoder", "1", 0, &Settings::MP3Encoder},
                    ClampCase{"MP3", "BitRate", "14", 8, &Settings::BitRate},
                    ClampCase{"MP3", "MaxBitRate", "-1", 13, &Settings::MaxBitRate},
                    ClampCase{"MP3", "StereoMode", "2", 0, &Settings::StereoMode},
                    ClampCase{"General", "OutputFormat", "4", 4, &Settings::OutputFormat},
                    ClampCase{"General", "OutputFormat", "5", 0, &Settings::OutputFormat},
                    ClampCase{"FLAC", "Level", "9", 5, &Settings::FlacLevel},
                    ClampCase{"Opus", "Bitrate", "5", 160, &Settings::OpusBitrate},
                    ClampCase{"Misc", "NormalizeRatio", "101", 95, &Settings::NormalizeRatio},
                    ClampCase{"MP3", "BitRate", "not a number", 8, &Settings::BitRate}),
    [](const testing::TestParamInfo<ClampCase>& info) {
        std::string name = std::string(info.param.key) + "_" + std::to_string(info.index);
        return name;
    });

TEST(Settings, ReplacementTextsAndFolderDefaults) {
    test::TempHome home;
    const Settings s = LoadFrom(home, "[Misc]\nReplaceStr01=\nReplaceStr10=\nTEMPDIRECTORY=  \n");
    EXPECT_EQ(s.ReplaceStr[0], "");
    EXPECT_EQ(s.ReplaceStr[9], " ");
    EXPECT_EQ(s.ReplaceStr[1], "&");
    EXPECT_EQ(s.TEMPDIRECTORY, SystemTempFolder());
    EXPECT_EQ(s.OutputFolder, home.path() + "/output");
}

TEST(Settings, ProxyPasswordKeepsAtMost81Characters) {
    test::TempHome home;
    Settings s = Settings::Defaults();
    std::string password;
    for (int i = 0; i < 90; ++i)
        password += static_cast<char>('!' + i);
    s.ProxyPassword = password;
    ASSERT_TRUE(SaveSettings(s, SettingsPath()));

    ProfileFile file;
    ASSERT_TRUE(file.Load(SettingsPath()));
    EXPECT_TRUE(file.HasKey("CDDB", "Proxy081"));
    EXPECT_FALSE(file.HasKey("CDDB", "Proxy082"));
    EXPECT_EQ(file.Text().find(password.substr(0, 8)), std::string::npos);

    Settings loaded;
    ASSERT_TRUE(LoadSettings(loaded, SettingsPath()));
    EXPECT_EQ(loaded.ProxyPassword, password.substr(0, 81));
}

TEST(Settings, ProxyPasswordRoundTripsAnyBytes) {
    test::TempHome home;
    for (const char* password : {"", "p", "密码 é\x01\xff"}) {
        Settings s = Settings::Defaults();
        s.ProxyPassword = password;
        ASSERT_TRUE(SaveSettings(s, SettingsPath()));
        Settings loaded;
        ASSERT_TRUE(LoadSettings(loaded, SettingsPath()));
        EXPECT_EQ(loaded.ProxyPassword, password);
    }
}

TEST(Settings, ProxyPasswordNumbersAtTheEdgeOfIntDecodeWithoutOverflow) {
    test::TempHome home;
    EXPECT_EQ(LoadFrom(home, "[CDDB]\nProxy000=-2147483648\n").ProxyPassword, "");
    // 5050 is the stored length 1 of these scrambling constants.
    EXPECT_EQ(LoadFrom(home, "[CDDB]\nProxy000=5050\nProxy001=-2147483648\n").ProxyPassword.size(),
              1u);
}

TEST(Settings, SaveThenLoadGivesTheSameValues) {
    test::TempHome home;
    Settings s = Settings::Defaults();
    int n = 1;
    struct Scramble {
        int& n;
        void Int(const char*, const char*, int& field, const IntRule& rule) {
            const int value = rule.clamp(field + n++ % 3);
            if (rule.Accepts(value))
                field = value;
        }
        void Str(const char*, const char*, std::string& field, const TextRule& rule) {
            field = "值" + std::to_string(n++);
            if (rule.check == TextRule::Check::kNamingRule)
                field += "<title>";
            if (rule.check == TextRule::Check::kLanguage)  // one of its three words
                field = "en";
        }
    };
    VisitSettingsKeys(s, Scramble{n});
    s.ProxyPassword = "hunter2";
    ASSERT_TRUE(SaveSettings(s, SettingsPath()));
    Settings loaded;
    ASSERT_TRUE(LoadSettings(loaded, SettingsPath()));
    EXPECT_EQ(SettingsText(loaded), SettingsText(s));
    EXPECT_EQ(loaded.ProxyPassword, "hunter2");
}

TEST(Settings, SaveKeepsCommentsAndUnknownKeysOfAHandWrittenFile) {
    test::TempHome home;
    test::WriteFile(home / "Settings.ini",
                    "; written by hand\n[MP3]\nBitRate=10\nMyOwnKey=mine\n[Mine]\nA=b");
    Settings s;
    ASSERT_TRUE(LoadSettings(s, SettingsPath()));
    EXPECT_EQ(s.BitRate, 10);
    s.BitRate = 11;
    ASSERT_TRUE(SaveSettings(s, SettingsPath()));
    const std::string text = test::ReadFile(SettingsPath());
    EXPECT_EQ(text.rfind("; written by hand\n[MP3]\nBitRate=11\nMyOwnKey=mine\n", 0), 0u) << text;
    EXPECT_NE(text.find("[Mine]\nA=b\n"), std::string::npos);
    EXPECT_NE(text.find("[Ogg Vorbis]\nQuality=50\n"), std::string::npos);
}

TEST(Settings, UnwritableAppHomeFailsWithAReason) {
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");
    Settings s = Settings::Defaults();
    std::string error;
    EXPECT_FALSE(SaveSettings(s, dir / "file/home/Settings.ini", &error));
    EXPECT_NE(error.find("Settings.ini"), std::string::npos);
    Settings loaded;
    loaded.BitRate = 3;
    EXPECT_FALSE(LoadSettings(loaded, dir / "file/home/Settings.ini", &error));
    EXPECT_NE(error.find("Settings.ini"), std::string::npos);
    EXPECT_EQ(loaded.BitRate, 8);
}

TEST(Settings, FoldersFallBackToTheDefaultsAndTellTheUser) {
    test::TempHome home;
    test::WriteFile(home / "blocker", "a file where a folder should be");
    RecordingNotifier notifier;

    Settings s = Settings::Defaults();
    s.OutputFolder = "  " + home.path() + "/music/rips//  ";
    s.TEMPDIRECTORY = home.path() + "/tmp/";
    PrepareFolders(s, notifier);
    EXPECT_TRUE(std::filesystem::is_directory(home / "music/rips"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "tmp"));
    EXPECT_EQ(s.OutputFolder, "  " + home.path() + "/music/rips//  ");  // kept as typed
    EXPECT_TRUE(notifier.messages.empty());

    s.OutputFolder = home / "blocker/out";
    s.TEMPDIRECTORY = home / "blocker/tmp";
    PrepareFolders(s, notifier);
    EXPECT_EQ(s.OutputFolder, home.path() + "/output");
    EXPECT_EQ(s.TEMPDIRECTORY, SystemTempFolder());
    EXPECT_TRUE(notifier.messages.empty());

    // With the app home itself blocked, the output folder has no fallback.
    ::setenv("KORVIDA_HOME", (home / "blocker/home").c_str(), 1);
    s.OutputFolder = "";
    PrepareFolders(s, notifier);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"不能打开输出目录！"});
    EXPECT_EQ(s.OutputFolder, "");
    EXPECT_EQ(NormalizedFolder(" /a/b// "), "/a/b/");
}

TEST(Settings, SetByNameValidatesAndClamps) {
    Settings s = Settings::Defaults();
    std::string error;
    EXPECT_TRUE(SetSettingByName(s, "misc", "windowwidth", "1000", &error));
    EXPECT_EQ(s.WindowWidth, 600);
    EXPECT_TRUE(SetSettingByName(s, "Ogg Vorbis", "Orig.Artist", "1", &error));
    EXPECT_EQ(s.ogg.OrigArtist, 1);
    EXPECT_TRUE(SetSettingByName(s, "MP3", "Copyright", "0", &error));
    EXPECT_EQ(s.Copyright, 0);
    EXPECT_EQ(s.ogg.Copyright, 0);
    EXPECT_FALSE(SetSettingByName(s, "MP3", "BitRate", "12x", &error));
    EXPECT_EQ(error, "MP3.BitRate: 不是整数: 12x");
    EXPECT_FALSE(SetSettingByName(s, "MP3", "NoSuchKey", "1", &error));
    EXPECT_EQ(error, "没有这个设置: MP3.NoSuchKey");
    // Offsets are published with their sign; a lone or doubled sign is still no number.
    EXPECT_TRUE(SetSettingByName(s, "CDROM", "ReadOffset", "+667", &error)) << error;
    EXPECT_EQ(s.ReadOffset, 667);
    EXPECT_FALSE(SetSettingByName(s, "CDROM", "ReadOffset", "+", &error));
    EXPECT_FALSE(SetSettingByName(s, "CDROM", "ReadOffset", "++6", &error));
}

// The desktop program saves at exit what it loaded at start; a `settings --set` in
// between must survive it, and what either program changed wins over the other's copy.
TEST(Settings, SavingChangesKeepsWhatAnotherProgramStoredMeanwhile) {
    test::TempHome home;
    test::WriteFile(home / "Settings.ini", "; mine\n[MP3]\nBitRate=3\n");
    Settings gui;
    ASSERT_TRUE(LoadSettings(gui, SettingsPath()));
    const Settings guiLoaded = gui;

    Settings cli;
    ASSERT_TRUE(LoadSettings(cli, SettingsPath()));
    const Settings cliLoaded = cli;
    cli.VBRQuality = 7;
    cli.NamingRule = "<album>/<title>";
    cli.ProxyPassword = "from the command line";
    cli.WindowWidth = 500;
    ASSERT_TRUE(SaveSettingsChanges(cli, cliLoaded, SettingsPath()));

    gui.WindowWidth = 700;
    gui.BitRate = 10;
    ASSERT_TRUE(SaveSettingsChanges(gui, guiLoaded, SettingsPath()));

    Settings stored;
    ASSERT_TRUE(LoadSettings(stored, SettingsPath()));
    EXPECT_EQ(stored.VBRQuality, 7);
    EXPECT_EQ(stored.NamingRule, "<album>/<title>");
    EXPECT_EQ(stored.ProxyPassword, "from the command line");
    EXPECT_EQ(stored.WindowWidth, 700);  // both changed it: the last save wins
    EXPECT_EQ(stored.BitRate, 10);
    // Every key is still written, and the file's own lines kept.
    const std::string text = test::ReadFile(SettingsPath());
    EXPECT_EQ(text.rfind("; mine\n[MP3]\nBitRate=10\n", 0), 0u) << text;
    EXPECT_NE(text.find("[Ogg Vorbis]\nQuality=50\n"), std::string::npos);
}

}  // namespace
}  // namespace korvida
