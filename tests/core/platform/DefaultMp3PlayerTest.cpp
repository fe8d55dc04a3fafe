#include "core/platform/DefaultMp3Player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

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

TEST(DefaultMp3Player, TheSettingWinsWithItsParametersAndFilesStayWhole) {
    const Mp3Player player = ResolveMp3Player("  /opt/my player/play  ", "-q  --loud");
    // Trailing blanks go, leading ones are the user's business; a player path with a blank
    // cannot be told from its words, as on the command line.
    EXPECT_EQ(player.program, "  /opt/my player/play");
    EXPECT_EQ(PlayerCommand({"mpv", "-q  --loud"}, "/music/01 - \"月\".mp3"),
              (std::vector<std::string>{"mpv", "-q", "--loud", "/music/01 - \"月\".mp3"}));
}

TEST(DefaultMp3Player, ExecLinesLoseTheirFieldCodes) {
    EXPECT_EQ(ExecCommandOf("vlc --started-from-file %U"), "vlc --started-from-file");
    EXPECT_EQ(ExecCommandOf("  player %f --rate 100%% "), "player  --rate 100%");
    EXPECT_EQ(ExecCommandOf("%"), "");
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
    EXPECT_EQ(player.program, "audacious -e");
    EXPECT_EQ(player.parameters, "");

    test::WriteFile(dir / "bin/xdg-mime", "#!/bin/sh\nexit 1\n");
    EXPECT_EQ(ResolveMp3Player("", "").program, "");
}

}  // namespace
}  // namespace korvida
