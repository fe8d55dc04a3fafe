#include "core/rip/OutputPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const ReplaceStrings kDefaults = Settings{}.ReplaceStr;

NamingFields Track(int index, std::string title, std::string artist = {}, std::string album = {},
                   std::string year = {}) {
    return NamingFields{index, std::move(title), std::move(artist), std::move(album),
                        std::move(year)};
}

TEST(OutputPathTest, DefaultRuleReplacesCharactersFileNamesCannotHold) {
    TempDir dir;
    const std::string path = OutputPath(Track(0, "Intro: Part 1/2"), dir.path() + "/Music", ".WAV",
                                        "<number>-<title>", kDefaults);
    EXPECT_EQ(path, dir.path() + "/Music/01-Intro& Part 1#2.WAV");
}

TEST(OutputPathTest, RuleSeparatorsMakeFoldersAndEmptyFieldsGetTheirWords) {
    for (const char* rule :
         {"<artist>\\<album>\\<number> <title>", "<artist>/<album>/<number> <title>"}) {
        TempDir dir;
        const std::string path = OutputPath(Track(2, "Song"), dir.path(), ".MP3", rule, kDefaults);
        EXPECT_EQ(path, dir.path() + "/Artist/Album/03 Song.MP3") << rule;
        EXPECT_TRUE(fs::is_directory(dir.path() + "/Artist/Album")) << rule;
    }
}

TEST(OutputPathTest, FieldsAreSubstitutedInTheirOrder) {
    ReplaceStrings keepBrackets = kDefaults;
    keepBrackets[7] = "<";
    keepBrackets[8] = ">";
    // <artist> comes first, so a token inside the artist is expanded by a later pass; the
    // title comes after <artist>, so "<artist>" inside a title stays as it is.
    const NamingFields f = Track(4, "x<artist>", "A<number>", "B", "");
    EXPECT_EQ(NamedRelativePath(f, "<artist>-<title>-<year>-<unknown>", keepBrackets),
              "A05-x<artist>-Year-<unknown>");
    // A value holding its own token is not expanded twice.
    EXPECT_EQ(NamedRelativePath(Track(0, "t", "<artist>"), "<artist>", keepBrackets), "<artist>");
}

TEST(OutputPathTest, NameComesFromTheListTitleAndTheRestFromTheRecord) {
    RipJobItem item;
    item.index = 4;
    item.name = "Edited title";
    item.track.Title = "Old title";
    item.track.Artist = "Band";
    item.track.Year = "1999";
    Settings settings;
    settings.NamingRule = "<year> <artist> <number> <title>";
    TempDir dir;
    EXPECT_EQ(OutputPath(item, dir.path() + "/", ".ogg", settings),
              dir.path() + "/1999 Band 05 Edited title.ogg");
}

struct ReplaceCase {
    const char* name;
    int slot;  // ReplaceStrNN - 1, or -1 for the defaults
    std::string with;
    std::string text;
    std::string expected;
};

class ReplaceCharactersTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceCharactersTest, Replaces) {
    const ReplaceCase& c = GetParam();
    ReplaceStrings r = kDefaults;
    if (c.slot >= 0)
        r[c.slot] = c.with;
    EXPECT_EQ(ReplaceCharacters(c.text, r), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ReplaceCharactersTest,
    ::testing::Values(ReplaceCase{"Defaults", -1, "", "a*b:c?d\"e|f/g\\h<i>j k",
                                  "a#b&c#d=e#f#g#h(i)j k"},
                      ReplaceCase{"BlankToUnderscore", 9, "_", "a b  c", "a_b__c"},
                      ReplaceCase{"EmptyBlankKeepsBlanks", 9, "", "a b", "a b"},
                      ReplaceCase{"EmptyRemoves", 0, "", "a*b**", "ab"},
                      // One character after the other: '*' becomes ':' which then becomes '&'.
                      ReplaceCase{"InOrder", 0, ":", "a*b", "a&b"},
                      ReplaceCase{"MultiByteTextUntouched", -1, "", "夜曲 1/2", "夜曲 1#2"}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return info.param.name; });

// Field values and rules that would climb out of the output folder, vanish between two
// separators or make a hidden name, each with the name it must give instead.
struct EscapeCase {
    const char* name;
    std::string rule;
    NamingFields fields;
    std::string expected;
};

class NameStaysInsideTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(NameStaysInsideTest, AndIsNotHidden) {
    const EscapeCase& c = GetParam();
    TempDir dir;
    const std::string out = dir.path() + "/out";
    ReplaceStrings r = kDefaults;
    r[0] = "";   // '*' removed: a value of stars becomes empty
    r[5] = "/";  // '/' kept: values may carry separators of their own
    const std::string path = OutputPath(c.fields, out, ".WAV", c.rule, r);
    EXPECT_EQ(path, out + "/" + c.expected);

    // Lexically and on disk: inside the folder, nothing hidden, nothing made beside it.
    const fs::path relative = fs::path(path).lexically_normal().lexically_relative(out);
    ASSERT_FALSE(relative.empty());
    for (const fs::path& part : relative) {
        EXPECT_NE(part.string(), "..") << path;
        EXPECT_NE(part.string().front(), '.') << path;
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "only the output folder may appear";
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, NameStaysInsideTest,
    ::testing::Values(
        EscapeCase{"DotDotArtist", "<artist>/<album>/<title>", Track(0, "t", "..", "x"),
                   "__/x/t.WAV"},
        EscapeCase{"DotAlbum", "<artist>/<album>/<title>", Track(0, "t", "a", "."), "a/_/t.WAV"},
        EscapeCase{"DotDotTitleAlone", "<title>", Track(0, ".."), "__.WAV"},
        EscapeCase{"EmptyTitleAlone", "<title>", Track(0, ""), "_.WAV"},
        EscapeCase{"TitleBecomesEmpty", "<artist>/<title>", Track(0, "**", "a"), "a/_.WAV"},
        EscapeCase{"ArtistBecomesEmpty", "<artist>/<title>", Track(0, "t", "***"), "t.WAV"},
        EscapeCase{"LeadingDotTitle", "<title>", Track(0, ".hidden"), "_hidden.WAV"},
        EscapeCase{"ValueWithSeparators", "<title>", Track(0, "../../etc/passwd"),
                   "__/__/etc/passwd.WAV"},
        EscapeCase{"RuleClimbs", "../<number>", Track(0, "t"), "__/01.WAV"},
        EscapeCase{"RuleFromRoot", "/<number>", Track(0, "t"), "01.WAV"},
        EscapeCase{"RuleEndsInSeparator", "<artist>\\", Track(0, "t", "a"), "a/_.WAV"},
        // Dots inside a name are ordinary characters and stay.
        EscapeCase{"InnerDotsStay", "<number>-<title>", Track(0, "...Baby"), "01-...Baby.WAV"}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return info.param.name; });

// 255 bytes is the longest name a file or folder can have: a longer one would fail only
// after the track had been read and encoded.
TEST(OutputPathTest, LongNamesAreCutBetweenCharactersKeepingTheNumberAndTheExtension) {
    TempDir dir;
    std::string chinese;
    for (int i = 0; i < 100; ++i)
        chinese += "长";  // 3 bytes each
    const std::string cut = OutputPath(Track(0, chinese, std::string(300, 'a')), dir.path(), ".WAV",
                                       "<artist>/<number>-<title>", kDefaults);
    // "01-" + 82 characters + ".WAV" is 253 bytes; one character more would be 256.
    EXPECT_EQ(cut, dir / (std::string(255, 'a') + "/01-" + chinese.substr(0, 82 * 3) + ".WAV"));
    EXPECT_TRUE(BinaryFile().Open(cut, BinaryFile::Mode::kCreate));

    // Exactly 255 bytes with the extension stays whole; one more is cut.
    const auto name = [&](std::size_t titleBytes) {
        return fs::path(PlannedOutputPath(Track(0, std::string(titleBytes, 't')), dir.path(),
                                          ".WAV", "<number>-<title>", kDefaults))
            .filename()
            .string();
    };
    EXPECT_EQ(name(248), "01-" + std::string(248, 't') + ".WAV");
    EXPECT_EQ(name(249), name(248));
}

// The system reads a path up to its first NUL: "Song\0One" and "Song\0Two" would both be
// written to "Song", while the names compared before the rip looked different.
TEST(OutputPathTest, ControlCharactersInNamesNeverCutThePath) {
    TempDir dir;
    std::vector<std::string> paths;
    for (const char* title : {"One", "Two"}) {
        const std::string path =
            OutputPath(Track(0, std::string("Song\0", 5) + title, std::string("A\0B", 3)),
                       dir.path(), ".WAV", "<artist>/<title>\x01x", kDefaults);
        EXPECT_EQ(path.find('\0'), std::string::npos);
        ASSERT_TRUE(BinaryFile().Open(path, BinaryFile::Mode::kCreate)) << path;
        paths.push_back(path);
    }
    EXPECT_EQ(paths[0], dir.path() + "/A B/Song One x.WAV");
    EXPECT_TRUE(fs::exists(paths[0]) && fs::exists(paths[1]) && paths[0] != paths[1]);
    EXPECT_EQ(
        PlannedOutputPath(Track(0, "t"), std::string("/tmp\0/x", 7), ".WAV", "<title>", kDefaults),
        "");
}

TEST(OutputPathTest, FolderGetsExactlyOneSeparator) {
    EXPECT_EQ(OutputBase("/music///  "), "/music/");
    EXPECT_EQ(OutputBase("/"), "/");
    EXPECT_EQ(OutputBase("   "), "");
    EXPECT_EQ(OutputPath(Track(0, "t"), "", ".WAV", "<title>", kDefaults), "");
}

}  // namespace
}  // namespace korvida
