#include "core/platform/DefaultMp3Player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/platform/ExecLine.h"
#include "core/platform/RunDetached.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(DefaultMp3Player, APlayerPathWithABlankStartsWithItsParametersAsWritten) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "My Player");
    const std::string player = dir / "My Player/play";
    const std::string seen = dir / "argv";
    // Writes its arguments one a line, then renames the list into place whole.
    test::WriteFile(player, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                seen + ".tmp'\nmv '" + seen + ".tmp' '" + seen + "'\n");
    ::chmod(player.c_str(), 0755);
    const Mp3Player resolved = ResolveMp3Player(player + "  ", "--title \"Two words\" %f --loop");
    EXPECT_EQ(resolved.program, player);
    std::string error;
    ASSERT_TRUE(RunDetached(PlayerCommand(resolved, "/music/01 - \"月\".mp3"), &error)) << error;
    for (int i = 0; i < 500 && !std::filesystem::exists(seen); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::ReadFile(seen), "--title\nTwo words\n/music/01 - \"月\".mp3\n--loop\n");
}

TEST(DefaultMp3Player, CommandsAreReadAsExecLines) {
    const auto words = [](const std::string& setting, const std::string& parameters,
                          const std::string& file) {
        return PlayerCommand(ResolveMp3Player(setting, parameters), file);
    };
    using Words = std::vector<std::string>;
    // Quotes group, escapes in them keep quote, backslash and dollar; the file goes last
    // when no field code places it, and no shell expands anything.
    EXPECT_EQ(words("\"/opt/My Player/play\" -q", "--name \"a \\\"b\\\" \\$HOME\"", "x.mp3"),
              (Words{"/opt/My Player/play", "-q", "--name", "a \"b\" $HOME", "x.mp3"}));
    // List codes take the one file; %% is a percent sign; the other codes vanish.
    EXPECT_EQ(words("vlc %U", "--rate=100%% %i --file=%f", "y.mp3"),
              (Words{"vlc", "y.mp3", "--rate=100%", "--file=y.mp3"}));
    // Without a file (the player alone) the codes and the words that were only codes go.
    EXPECT_EQ(words("player %F", "", ""), (Words{"player"}));
    // An unclosed quote starts nothing, rather than something the user did not write.
    EXPECT_EQ(words("\"/opt/player", "", "z.mp3"), Words{});
    EXPECT_EQ(words("player", "\"--oops", "z.mp3"), Words{});
    EXPECT_EQ(UnescapeDesktopValue("a\\sb\\\\c\\\"d"), "a b\\c\\\"d");
}

TEST(DefaultMp3Player, WithoutASettingTheDesktopDefaultForMp3) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    std::filesystem::create_directories(dir / "data/applications");
    // A stand-in for xdg-mime that names a desktop entry.
    test::WriteFile(
        dir / "bin/xdg-mime",
        "#!/bin/sh\n[ \"$1 $2 $3\" = \"query default audio/mpeg\" ] && echo player.desktop\n");
    ::chmod((dir / "bin/xdg-mime").c_str(), 0755);
    test::WriteFile(
        dir / "data/applications/player.desktop",
        "[Desktop Action x]\nExec=wrong\n[Desktop Entry]\nName=P\nExec=audacious -e %F\n");
    ScopedEnv path("PATH", dir / "bin");
    ScopedEnv data("XDG_DATA_HOME", dir / "data");
    const Mp3Player player = ResolveMp3Player("   ", "--ignored");
    EXPECT_EQ(player.program, "audacious");
    EXPECT_EQ(PlayerCommand(player, "f.mp3"),
              (std::vector<std::string>{"audacious", "-e", "f.mp3"}));

    test::WriteFile(dir / "bin/xdg-mime", "#!/bin/sh\nexit 1\n");
    EXPECT_EQ(ResolveMp3Player("", "").program, "");
}

}  // namespace
}  // namespace korvida
