#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "core/ini/WriteFileAtomically.h"
#include "core/platform/AppHome.h"
#include "core/platform/ErrorText.h"
#include "core/platform/FreeDiskSpace.h"
#include "core/platform/RunCommand.h"
#include "core/platform/RunDetached.h"
#include "core/platform/TemporaryFile.h"
#include "core/platform/TickCount.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

TEST(Platform, AppHomeFollowsTheEnvironment) {
    test::TempHome home;
    EXPECT_EQ(AppHome(), home.path() + "/");
    EXPECT_EQ(DefaultOutputFolder(), home.path() + "/output");
    ::setenv("KORVIDA_HOME", "", 1);
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(AppHome(), "/xdg/korvida/");
    ::unsetenv("XDG_CONFIG_HOME");
}

// Owned files go when their owner does, unless kept or moved into place; the ones that
// become outputs get the permissions any new file would.
TEST(Platform, TemporaryFilesAreUniqueAndGoUnlessKeptOrMoved) {
    test::TempDir dir;
    const auto mode = [](const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    };
    std::string kept, dropped, moved;
    {
        TemporaryFile a =
            TemporaryFile::Create(dir.path(), "PW", ".tmp", TemporaryFile::Access::kPrivate);
        TemporaryFile b =
            TemporaryFile::Create(dir.path() + "/", "PW", ".tmp", TemporaryFile::Access::kPrivate);
        ASSERT_TRUE(a.owned() && b.owned());
        EXPECT_NE(a.path(), b.path());
        EXPECT_THAT(std::filesystem::path(a.path()).filename().string(),
                    ::testing::MatchesRegex("PW.{6}\\.tmp"));
        EXPECT_EQ(mode(a.path()), 0600u);
        dropped = a.path();
        kept = b.Keep();

        TemporaryFile c = TemporaryFile::CreateBeside(dir / "song.MP3");
        ASSERT_TRUE(c.owned());
        const mode_t mask = ::umask(022);
        ::umask(mask);
        EXPECT_EQ(mode(c.path()), 0666u & ~mask);
        moved = c.path();
        ASSERT_TRUE(c.MoveTo(dir / "song.MP3"));
        EXPECT_FALSE(c.owned());
    }
    EXPECT_FALSE(std::filesystem::exists(dropped));
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_FALSE(std::filesystem::exists(moved));
    EXPECT_TRUE(std::filesystem::exists(dir / "song.MP3"));

    std::string error;
    EXPECT_FALSE(TemporaryFile::Create(dir / "missing", "PW", ".tmp",
                                       TemporaryFile::Access::kPrivate, &error)
                     .owned());
    EXPECT_FALSE(error.empty());
}

TEST(Platform, CommonFileErrorsReadInChineseOthersInTheSystemsWords) {
    test::TempDir dir;
    TemporaryFile file =
        TemporaryFile::Create(dir.path(), "PW", ".tmp", TemporaryFile::Access::kPrivate);
    std::string error;
    EXPECT_FALSE(file.MoveTo(dir / std::string(256, 'x'), &error));
    EXPECT_EQ(error, "文件名太长");
    EXPECT_FALSE(file.MoveTo(dir / "missing/x", &error));
    EXPECT_EQ(error, "文件或文件夹不存在");
    EXPECT_EQ(ErrorText(EFBIG), "文件太大");
    EXPECT_EQ(ErrorText(EXDEV), std::strerror(EXDEV));  // rare: the system's own words
}

TEST(Platform, FreeSpaceOfAPathNotYetMadeIsItsParentFileSystems) {
    test::TempDir dir;
    const FreeDiskSpace space = GetFreeDiskSpace(dir / "not/yet/made");
    ASSERT_TRUE(space.ok);
    EXPECT_GT(space.freeBytes, 0u);
    EXPECT_EQ(space.mountPoint, GetFreeDiskSpace(dir.path()).mountPoint);
    EXPECT_EQ(GetFreeDiskSpace("/proc/self").mountPoint, "/proc");
}

TEST(Platform, AtomicWriteLeavesTheOldFileOnFailure) {
    test::TempDir dir;
    const std::string path = dir / "settings.ini";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(test::ReadFile(path), "new");
    std::string error;
    // Renaming a file over a folder fails after the data was written.
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(WriteFileAtomically(dir / "folder", "x", &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(Platform, AtomicWriteKeepsTheReplacedFilesPermissions) {
    test::TempDir dir;
    const std::string path = dir / "Settings.ini";
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    // Made private by its owner: a save must not make it readable by everyone again.
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "password"));
    ::umask(mask);
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(test::ReadFile(path), "password");
}

TEST(Platform, DesktopOpenPassesThePathAsOneArgument) {
    test::TempDir dir;
    const std::string opener = dir / "opener";
    const std::string seen = dir / "seen";
    test::WriteFile(opener, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + seen + "'\n");
    ::chmod(opener.c_str(), 0755);
    ::setenv("KORVIDA_OPEN_COMMAND", opener.c_str(), 1);
    const std::string target = dir / "my music; $(rm -rf x)/a b";
    ASSERT_TRUE(OpenWithDesktop(target));
    // The shell makes the file before printf fills it: wait for its words.
    for (int i = 0; i < 200 && (!std::filesystem::exists(seen) || test::ReadFile(seen).empty());
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::ReadFile(seen), "1|" + target);

    std::string error;
    ::setenv("KORVIDA_OPEN_COMMAND", "/nonexistent/opener", 1);
    EXPECT_FALSE(OpenWithDesktop(target, &error));
    EXPECT_NE(error.find("/nonexistent/opener"), std::string::npos);
    ::unsetenv("KORVIDA_OPEN_COMMAND");
}

TEST(Platform, RunCommandCollectsOutputAndGivesUpOnAHungProgram) {
    std::string out;
    EXPECT_TRUE(RunCommand({"printf", "%s", "a b"}, &out));
    EXPECT_EQ(out, "a b");
    EXPECT_FALSE(RunCommand({"false"}));
    const std::uint32_t start = TickCount();
    EXPECT_FALSE(RunCommand({"sleep", "30"}, nullptr, 100));
    EXPECT_LT(TickCount() - start, 10000u);
}

TEST(Platform, TickCountMovesForwardInMilliseconds) {
    const std::uint32_t start = TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::uint32_t elapsed = TickCount() - start;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 5000u);
}

}  // namespace
}  // namespace korvida
