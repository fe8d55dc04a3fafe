#include <gtest/gtest.h>

#include <filesystem>
#include <future>

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
    // Both habits at once: several pairs after one --set, and --set repeated.
    const auto r = test::RunCli({"settings", "--set", "MP3.BitRate=10", "Ogg Vorbis.Orig.Artist=1",
                                 "--set", "misc.NamingRule=<album>/<title>"});
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
                                               {"settings", "--set"},
                                               {"settings", "--set", "MP3.BitRate=1", "--set"},
                                               {"no-such-command"},
                                               {"--drive", "x", "settings"},
                                               {}}) {
        const auto r = test::RunCli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(r.err.empty());
    }
    const auto help = test::RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("settings [--set"), std::string::npos);
}

TEST(SettingsCommand, RefusesWhatTheOptionsSheetRefusesAndStoresNothing) {
    test::TempHome home;
    test::WriteFile(home / "file", "x");
    const std::pair<std::string, std::string> refused[] = {
        {"CDROM.BufferSize=1000000", "CDROM.BufferSize: 请输入一个介于 1 和 255 之间的整数。"},
        {"Misc.NamingRule=plain", "标准的命名字符串格式必须包括以下内容"},
        {"Misc.MP3PlayerParameters=" + std::string(101, 'p'), "请输入不超过 100 个字符。"},
        {"General.OutputFolder=" + (home / "file/out"), "不能创建目录  " + (home / "file/out/")},
    };
    for (const auto& [pair, text] : refused) {
        // A good value before the refused one is not stored either.
        const auto r = test::RunCli({"settings", "--set", "MP3.BitRate=3", pair});
        EXPECT_EQ(r.status, 2) << pair;
        EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(home / "Settings.ini")) << pair;
    }
}

// The texts follow [Misc] Language from the next run on, and --lang (before or after the
// command) overrides it for one run, also where the C locale leaves gettext alone.
TEST(SettingsCommand, TextsFollowTheLanguageSettingAndTheOption) {
    test::TempHome home;
    const std::string chinese = "语言只能是 zh、en 或 auto";
    const std::string english = "The language must be zh, en or auto";
    const auto refusal = [](std::vector<std::string> extra) {
        std::vector<std::string> args = {"settings", "--set", "Misc.Language=fr"};
        args.insert(args.begin(), extra.begin(), extra.end());
        const auto r = test::RunCli(args);
        EXPECT_EQ(r.status, 2) << r.err;
        return r.err;
    };
    EXPECT_NE(refusal({}).find(chinese), std::string::npos);
    EXPECT_NE(refusal({"--lang", "en"}).find(english), std::string::npos);
    ASSERT_EQ(test::RunCli({"settings", "--set", "Misc.Language=en"}).status, 0);
    EXPECT_NE(refusal({}).find(english), std::string::npos);
    const auto zh = test::RunCli({"settings", "--set", "Misc.Language=fr", "--lang", "zh"});
    EXPECT_NE(zh.err.find(chinese), std::string::npos) << zh.err;
    EXPECT_EQ(test::RunCli({"--lang", "fr", "settings"}).status, 2);
}

// Each writer re-reads the file under a lock and stores only its own key, so none of
// them puts back the old value of another's.
TEST(SettingsCommand, ParallelSetsOfDifferentKeysAllKeepTheirValues) {
    test::TempHome home;
    const std::vector<std::string> pairs = {
        "MP3.BitRate=3",          "MP3.EnableID3=0",         "MP3.EnableID3V2=0",
        "MP3.EnableVBR=1",        "MP3.MaxBitRate=5",        "MP3.MPEGQuality=1",
        "MP3.VBRQuality=7",       "CDROM.DisableAutoPlay=0", "MP3.Original=0",
        "MP3.Private=0",          "MP3.WriteVBRHeader=0",    "CDROM.LeadingFrame=11",
        "CDROM.TrailingFrame=12", "CDROM.RetryTimes=9",      "CDROM.BufferSize=40",
        "Misc.NormalizeRatio=77", "Misc.Normalize=1",        "Misc.ThreadPriority=4",
        "Ogg Vorbis.Quality=33",  "CDDB.ProxyPort=8080"};
    std::vector<std::future<test::CliResult>> runs;
    for (const std::string& pair : pairs)
        runs.push_back(std::async(std::launch::async, [pair] {
            return test::RunCli({"settings", "--set", pair});
        }));
    for (auto& run : runs)
        EXPECT_EQ(run.get().status, 0);
    const std::string text = test::ReadFile(home / "Settings.ini");
    for (const std::string& pair : pairs)
        EXPECT_NE(text.find("\n" + pair.substr(pair.rfind('.') + 1) + "\n"), std::string::npos)
            << pair << "\n"
            << text;
}

TEST(CliHabits, HelpAfterACommandVersionAndUsageErrorsThatNameTheArgument) {
    test::TempHome home;
    // --help wins over everything else on the line: nothing is done, nothing saved.
    for (const char* command : {"settings", "drives", "toc", "info", "rip", "query", "submit",
                                "encode", "decode", "normalize", "make-demo-disc"}) {
        const auto r = test::RunCli({command, "--set", "MP3.BitRate=1", "--help"});
        EXPECT_EQ(r.status, 0) << command << r.err;
        EXPECT_EQ(r.out.rfind("usage: korvida-cli ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find(std::string(" ") + command), std::string::npos) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(home / "Settings.ini"));
    // After "--" a word is a file name, even "--help".
    EXPECT_EQ(test::RunCli({"normalize", "--", "--help"}).status, 1);

    const auto version = test::RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("korvida-cli ", 0), 0u);
    EXPECT_NE(version.out.find_first_of("0123456789"), std::string::npos);

    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"settings", "--set", "MP3.BitRate=1", "--bogus"}, "--bogus"},
        {{"rip", "--tracks"}, "--tracks"},
        {{"rip", "--speed", "4"}, "--speed"},
        {{"encode", "--format", "aiff", "a.wav"}, "aiff"},
        {{"toc", "extra"}, "extra"},
        {{"info", "--track", "x", "--set", "Title=y"}, "x"},
    };
    for (const auto& [args, named] : wrong) {
        const auto r = test::RunCli(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: korvida-cli "), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace korvida
