#include "core/platform/VolumeProgram.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
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

TEST(VolumeProgram, TriesTheDesktopProgramsUntilOneStartsAndAlsamixerOnlyWhereInstalled) {
    test::TempDir bin;
    WithPath(bin.path(), [&] {
        std::vector<std::vector<std::string>> tried;
        auto refuseAll = [&](const std::vector<std::string>& argv) {
            tried.push_back(argv);
            return false;
        };
        // The second program starts: nothing is tried after it.
        EXPECT_TRUE(StartVolumeProgram([&](const std::vector<std::string>& argv) {
            tried.push_back(argv);
            return tried.size() == 2;
        }));
        EXPECT_EQ(tried.size(), 2u);

        tried.clear();
        EXPECT_FALSE(StartVolumeProgram(refuseAll));
        const auto withoutMixer = tried;
        ASSERT_GE(withoutMixer.size(), 2u);
        for (const auto& argv : withoutMixer)
            EXPECT_EQ(std::find(argv.begin(), argv.end(), "alsamixer"), argv.end());

        // alsamixer in a terminal comes last, after the same programs.
        test::WriteFile(bin / "alsamixer", "#!/bin/sh\n");
        ::chmod((bin / "alsamixer").c_str(), 0755);
        tried.clear();
        EXPECT_FALSE(StartVolumeProgram(refuseAll));
        auto expected = withoutMixer;
        expected.push_back({"x-terminal-emulator", "-e", "alsamixer"});
        EXPECT_EQ(tried, expected);
    });
}

}  // namespace
}  // namespace korvida
