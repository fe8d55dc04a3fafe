#include "core/platform/VolumeProgram.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>

#include "support/TempHome.h"

namespace korvida {
namespace {

// Runs the body with PATH set to `path`, then puts the old PATH back.
template <typename Body>
void WithPath(const std::string& path, Body body) {
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    ::setenv("PATH", path.c_str(), 1);
    body();
    ::setenv("PATH", saved.c_str(), 1);
}

TEST(VolumeProgram, TriesTheDesktopProgramsInOrderAndStopsAtTheFirstThatStarts) {
    test::TempDir bin;
    WithPath(bin.path(), [&] {
        std::vector<std::vector<std::string>> tried;
        auto refuseFirst = [&](const std::vector<std::string>& argv) {
            tried.push_back(argv);
            return tried.size() == 2;
        };
        EXPECT_TRUE(StartVolumeProgram(refuseFirst));
        EXPECT_EQ(tried, (std::vector<std::vector<std::string>>{
                             {"pavucontrol"}, {"gnome-control-center", "sound"}}));

        // alsamixer in a terminal comes last, and only where alsamixer is installed.
        test::WriteFile(bin / "alsamixer", "#!/bin/sh\n");
        ::chmod((bin / "alsamixer").c_str(), 0755);
        tried.clear();
        EXPECT_FALSE(StartVolumeProgram([&](const std::vector<std::string>& argv) {
            tried.push_back(argv);
            return false;
        }));
        ASSERT_EQ(tried.size(), 3u);
        EXPECT_EQ(tried[2], (std::vector<std::string>{"x-terminal-emulator", "-e", "alsamixer"}));
    });
}

}  // namespace
}  // namespace korvida
