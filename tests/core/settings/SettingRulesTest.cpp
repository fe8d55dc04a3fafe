#include "core/settings/SettingRules.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/ProgramFolder.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Translate.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;

const char* const kRuleText =
    "标准的命名字符串格式必须包括以下内容:\n<标题> <编号> <歌手> <专辑> <年份>";

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(ValidateNamingSettingsTest, FolderIsTrimmedToOneSeparatorAndCreated) {
    test::TempDir dir;
    const NamingValidation v =
        ValidateNamingSettings("  " + dir.path() + "/a/b///  ", "<number>-<title>");
    EXPECT_TRUE(v.accepted) << v.message;
    EXPECT_EQ(v.folder, dir.path() + "/a/b/");
    EXPECT_TRUE(fs::is_directory(dir.path() + "/a/b"));
}

TEST(ValidateNamingSettingsTest, RefusesARuleWithoutFieldsAndAFolderThatCannotBeMade) {
    test::TempDir dir;
    const NamingValidation rule = ValidateNamingSettings(dir.path(), "<Title> track");
    EXPECT_FALSE(rule.accepted);
    EXPECT_TRUE(rule.ruleRefused);
    EXPECT_EQ(rule.message, kRuleText);
    EXPECT_EQ(ValidateNamingSettings(dir.path(), "").rule, "<title>");

    test::WriteFile(dir / "file", "x");
    const NamingValidation folder = ValidateNamingSettings(dir / "file/sub", "<title>");
    EXPECT_FALSE(folder.accepted);
    EXPECT_FALSE(folder.ruleRefused);
    EXPECT_EQ(folder.message, "不能创建目录  " + dir.path() + "/file/sub/");
    // Blank would mean the root of the file system.
    EXPECT_FALSE(ValidateNamingSettings("   ", "<title>").accepted);
}

TEST(ValidateNamingSettingsTest, LengthsCountCharactersNotBytes) {
    test::TempDir dir;
    // 255 characters of three bytes each pass; one more does not.
    const std::string rule = "<title>" + Repeat("字", 248);
    EXPECT_TRUE(ValidateNamingSettings(dir.path(), rule).accepted);
    const NamingValidation longRule = ValidateNamingSettings(dir.path(), rule + "字");
    EXPECT_FALSE(longRule.accepted);
    EXPECT_TRUE(longRule.ruleRefused);
    EXPECT_EQ(longRule.message, "请输入不超过 255 个字符。");

    const std::string folder = dir.path() + "/" + Repeat("d", 200);
    const NamingValidation longFolder = ValidateNamingSettings(folder, "<title>");
    EXPECT_EQ(longFolder.message, "请输入不超过 200 个字符。");
    EXPECT_FALSE(fs::exists(folder));
}

TEST(SettingRules, TempFolderFallsBackToThePreviousFolderOrRefuses) {
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");  // nothing can be made below a file
    const std::string previous = dir / "previous/";
    TempFolderCommit made = CommitTempFolder("  " + (dir / "new") + "//  ", previous);
    EXPECT_TRUE(made.accepted);
    EXPECT_EQ(made.folder, dir / "new/");
    EXPECT_TRUE(fs::is_directory(dir / "new"));

    for (const std::string& entry : {dir / "file/sub", std::string("   ")}) {
        TempFolderCommit kept = CommitTempFolder(entry, previous);
        EXPECT_TRUE(kept.accepted) << entry;
        EXPECT_EQ(kept.folder, previous);
    }
    TempFolderCommit refused = CommitTempFolder(dir / "file/sub", dir / "file/old");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, "不能打开临时目录！");
    EXPECT_EQ(refused.folder, dir / "file/old");
}

// The same rules, by name, as `settings --set` applies them: each kind of refusal leaves
// the value alone and says why in the sheet's words.
TEST(SettingRules, SetByNameRefusesWhatTheSheetRefuses) {
    test::TempDir dir;
    test::WriteFile(dir / "file", "x");
    struct Case {
        const char* section;
        const char* key;
        std::string value;
        std::string message;
    };
    const Case cases[] = {
        {"CDROM", "BufferSize", "1000000", "请输入一个介于 1 和 255 之间的整数。"},
        {"CDROM", "LeadingFrame", "-1", "请输入一个介于 0 和 15000 之间的整数。"},
        {"Misc", "NormalizeRatio", "101", "请输入一个介于 1 和 100 之间的整数。"},
        {"MP3", "EnableVBR", "2", "请输入一个介于 0 和 1 之间的整数。"},
        {"Misc", "ReplaceStr01", "1234567", "请输入不超过 6 个字符。"},
        {"Misc", "NamingRule", "plain", kRuleText},
        {"General", "OutputFolder", dir / "file/out", "不能创建目录  " + (dir / "file/out/")},
        {"Misc", "TEMPDIRECTORY", dir / "file/tmp", "不能打开临时目录！"},
    };
    for (const Case& c : cases) {
        Settings s = Settings::Defaults();
        const Settings before = s;
        std::string error;
        EXPECT_FALSE(SetSettingByName(s, c.section, c.key, c.value, &error)) << c.key;
        EXPECT_EQ(error, std::string(c.section) + "." + c.key + ": " + c.message);
        EXPECT_EQ(SettingsText(s), SettingsText(before)) << c.key;
    }

    Settings s = Settings::Defaults();
    std::string error;
    // Accepted values are stored as the sheet stores them, not as the file's clamp reads them.
    ASSERT_TRUE(SetSettingByName(s, "MP3", "StereoMode", "2", &error)) << error;
    EXPECT_EQ(s.StereoMode, 2);
    ASSERT_TRUE(SetSettingByName(s, "Misc", "NamingRule", "", &error)) << error;
    EXPECT_EQ(s.NamingRule, "<title>");
    ASSERT_TRUE(SetSettingByName(s, "General", "OutputFolder", " " + (dir / "o//"), &error));
    EXPECT_EQ(s.OutputFolder, dir / "o/");
    EXPECT_TRUE(fs::is_directory(dir / "o"));
}

// A hand-edited file: what the rules refuse reads as the default.
TEST(SettingRules, LoadReadsRefusedValuesAsDefaults) {
    test::TempHome home;
    test::WriteFile(home / "Settings.ini",
                    "[CDROM]\nBufferSize=1000000\nLeadingFrame=15001\nRetryTimes=100\n"
                    "[MP3]\nEnableVBR=2\n"
                    "[Misc]\nNamingRule=plain\nReplaceStr01=1234567\nReplaceStr02=123456\n"
                    "ThreadPriority=5\n"
                    "[Ogg Vorbis]\nQuality=0\n[CDDB]\nProxyPort=65536\n");
    Settings s;
    ASSERT_TRUE(LoadSettings(s, SettingsPath()));
    EXPECT_EQ(s.BufferSize, 26);
    EXPECT_EQ(s.LeadingFrame, 0);
    EXPECT_EQ(s.RetryTimes, 100);
    EXPECT_EQ(s.EnableVBR, 0);
    EXPECT_EQ(s.NamingRule, "<number>-<title>");
    EXPECT_EQ(s.ReplaceStr[0], "#");
    EXPECT_EQ(s.ReplaceStr[1], "123456");
    EXPECT_EQ(s.ThreadPriority, 2);
    EXPECT_EQ(s.ogg.Quality, 50);
    EXPECT_EQ(s.ProxyPort, 80);

    test::WriteFile(home / "Settings.ini", "[Misc]\nNamingRule=\n");
    ASSERT_TRUE(LoadSettings(s, SettingsPath()));
    EXPECT_EQ(s.NamingRule, "<title>");
}

}  // namespace
}  // namespace korvida

namespace korvida {
namespace {

// The checks' texts reach an English user through the catalogue, the numbers in their
// places; back in Chinese they are the program's own words again.
TEST(SettingRules, TextsInTheChosenLanguage) {
    UseLanguage(Language::kEnglish, LocaleFolder());
    const std::optional<std::string> english = CheckRange(0, 1, 9);
    const std::optional<std::string> naming = CheckNamingRule("no fields");
    UseLanguage(Language::kChinese, LocaleFolder());
    EXPECT_EQ(english, "Please enter a whole number between 1 and 9.");
    EXPECT_EQ(naming,
              "A valid naming string must contain one of these:\n"
              "<title> <number> <artist> <album> <year>");
    EXPECT_EQ(CheckRange(0, 1, 9), "请输入一个介于 1 和 9 之间的整数。");
}

}  // namespace
}  // namespace korvida
