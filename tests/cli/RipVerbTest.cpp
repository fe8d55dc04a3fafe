// korvida-cli rip as scripts run it: the whole binary on CD images.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "support/RipTestSupport.h"
#include "support/RunCli.h"
#include "support/SharedDemoDisc.h"
#include "support/SmallDisk.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class RipCommand : public ::testing::Test {
  protected:
    void SetUp() override { cue = test::SharedDemoDisc(); }
    test::CliResult Rip(std::vector<std::string> args) {
        args.insert(args.begin(), {"--image", cue, "rip"});
        return test::RunCli(args);
    }
    test::TempHome home;
    std::string cue;
};

TEST_F(RipCommand, RipsEveryTrackToWavWithCaptionsLogAndPaths) {
    const auto r = Rip({"--format", "wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = home / "output/";
    EXPECT_THAT(test::Lines(r.out),
                ElementsAre(out + "01-音轨 1.WAV", out + "02-音轨 2.WAV", out + "03-音轨 3.WAV"));
    EXPECT_THAT(r.err, HasSubstr("正在抓取 (01/03): 音轨 1"));
    EXPECT_THAT(r.err, HasSubstr("正在抓取 (03/03): 音轨 3"));
    EXPECT_THAT(r.err, HasSubstr(") 抓取 音轨 3 完成！\n"));
    // 21 seconds of audio behind a complete header.
    const std::string wav = test::ReadFile(out + "01-音轨 1.WAV");
    EXPECT_EQ(wav.size(), 44u + 21 * 75 * 2352);
    EXPECT_EQ(test::SizesOf(wav).data, 21u * 75 * 2352);
}

// The FLAC of a track is that track's WAV: flac -t passes, flac -d gives its samples and
// decode gives back the very file a WAV rip writes.
TEST_F(RipCommand, FlacRipDecodesBackToTheWavRip) {
    const auto wav = Rip({"--format", "wav", "--tracks", "2", "--output", home / "wav"});
    const auto flac = Rip({"--format", "flac", "--tracks", "2", "--output", home / "flac"});
    ASSERT_EQ(wav.status, 0) << wav.err;
    ASSERT_EQ(flac.status, 0) << flac.err;
    ASSERT_EQ(flac.out, home / "flac/02-音轨 2.flac\n");
    const std::string ripped = test::ReadFile(home / "wav/02-音轨 2.WAV");
    const std::string file = "'" + home / "flac/02-音轨 2.flac" + "'";
    EXPECT_EQ(std::system(("flac -s -t " + file).c_str()), 0);
    ASSERT_EQ(std::system(("flac -s -d -o '" + home / "flac-d.wav" + "' " + file).c_str()), 0);
    EXPECT_TRUE(test::ReadFile(home / "flac-d.wav").substr(44) == ripped.substr(44));

    const auto decoded = test::RunCli(
        {"--quiet", "decode", "--output", home / "back", home / "flac/02-音轨 2.flac"});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, home / "back/02-音轨 2.WAV\n");
    EXPECT_TRUE(test::ReadFile(home / "back/02-音轨 2.WAV") == ripped);
}

// Every secure mode gives the undamaged disc's bytes and the rip log names the mode; the
// option holds for the run alone.
TEST_F(RipCommand, SecureModesRipTheSameBytesAndTheLogNamesTheMode) {
    const auto plain = Rip({"--format", "wav", "--tracks", "2", "--output", home / "plain"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    for (const char* mode : {"1", "2"}) {
        const std::string out = home / (std::string("secure") + mode);
        const auto r =
            Rip({"--format", "wav", "--tracks", "2", "--output", out, "--log", "--secure", mode});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(test::ReadFile(out + "/02-音轨 2.WAV") ==
                    test::ReadFile(home / "plain/02-音轨 2.WAV"));
        const std::string log = test::ReadFile(test::Lines(r.out).back());
        EXPECT_THAT(log, HasSubstr(mode[0] == '1' ? "  安全读取: 比较模式 (每个扇区读取两次)"
                                                  : "  安全读取: C2 模式"));
        // The image's drive has no C2 pointers: mode 2 compares, and says so.
        EXPECT_THAT(log, HasSubstr("  安全读取: 比较模式, C2 错误指针: 未使用, 重读的扇区: 0\n"));
        EXPECT_THAT(r.err, Not(HasSubstr("suspicious")));
    }
    EXPECT_FALSE(std::filesystem::exists(home / "Settings.ini"));
}

TEST_F(RipCommand, TwoTickedTracksCountOneOfTwoAndTwoOfTwo) {
    const auto r = Rip({"--format", "wav", "--tracks", "3,1", "--output", home / "music", "--rule",
                        "<album>/<number>"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("正在抓取 (01/02): 音轨 1"));
    EXPECT_THAT(r.err, HasSubstr("正在抓取 (02/02): 音轨 3"));
    EXPECT_THAT(test::Lines(r.out),
                ElementsAre(home / "music/Album/01.WAV", home / "music/Album/03.WAV"));
    // Options hold for this run only.
    EXPECT_FALSE(std::filesystem::exists(home / "Settings.ini"));
}

TEST_F(RipCommand, RefusedInputsAndUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--tracks", "4"},
                                                                  {"--tracks", "0"},
                                                                  {"--tracks", "3-2"},
                                                                  {"--tracks", "1,,2"},
                                                                  {"--format", "aiff"},
                                                                  {"--bogus", "x"},
                                                                  {"--secure", "3"},
                                                                  {"--tracks"}}) {
        EXPECT_EQ(Rip(args).status, 2) << args[0];
    }
    const auto rule = Rip({"--format", "wav", "--rule", "fixed"});
    EXPECT_EQ(rule.status, 1);
    EXPECT_THAT(rule.err, HasSubstr("标准的命名字符串格式必须包括以下内容"));
    const auto longRule = Rip({"--format", "wav", "--rule", "<title>" + std::string(249, 'x')});
    EXPECT_EQ(longRule.status, 1);
    EXPECT_THAT(longRule.err, HasSubstr("请输入不超过 255 个字符。"));
    EXPECT_EQ(longRule.out, "");
}

TEST_F(RipCommand, RuleThatNamesEveryTrackAlikeIsRefusedAndNothingIsWritten) {
    const auto r = Rip({"--format", "wav", "--rule", "<album>"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("命名规则 <album> "));
    EXPECT_THAT(r.err, HasSubstr("音轨 1、2、3 → " + (home / "output/Album.WAV")));
    EXPECT_THAT(r.err, Not(HasSubstr("正在抓取")));
    EXPECT_EQ(test::FolderListing(home / "output"), "");
}

TEST_F(RipCommand, OutputFolderThatCannotBeMadeFailsTheJobNamingTheFile) {
    test::WriteFile(home / "file", "x");
    // Written by hand: the settings command refuses a folder it cannot make.
    test::WriteFile(home / "Settings.ini", "[General]\nOutputFolder=" + (home / "file/out") + "\n");
    const auto r = Rip({"--format", "wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("错误: 不能打开文件 " + (home / "file/out/01-音轨 1.WAV") + "！"));
    EXPECT_THAT(r.err, Not(HasSubstr("(02/03)")));
}

// Ripping every track of an image gives the samples libcdio's cd-paranoia rips from it.
class SameAsCdParanoia : public ::testing::TestWithParam<bool> {};

TEST_P(SameAsCdParanoia, EveryTrackByteForByte) {
    if (!test::HaveTool("cd-paranoia"))
        GTEST_SKIP() << "cd-paranoia is not installed";
    test::TempHome home;
    std::string cue;
    if (GetParam()) {
        cue = test::SharedDemoDisc();
    } else {
        // Noise-like frames and tracks of odd lengths.
        std::filesystem::create_directories(home / "disc");
        cue = test::WriteDisc(home / "disc", {0, 151, 333, 602}, 1000);
    }
    const auto r = test::RunCli({"--image", cue, "rip", "--format", "wav", "--rule", "<number>"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> ours = test::Lines(r.out);

    const std::string theirs = home / "paranoia";
    std::filesystem::create_directories(theirs);
    // -c: the byte order is not guessed from the audio (noise fools the guess).
    ASSERT_EQ(
        std::system(
            ("cd '" + theirs + "' && cd-paranoia -c -B -d '" + cue + "' >/dev/null 2>&1").c_str()),
        0);
    ASSERT_FALSE(ours.empty());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "/track%02zu.cdda.wav", i + 1);
        const std::string a = test::ReadFile(ours[i]);
        const std::string b = test::ReadFile(theirs + name);
        ASSERT_GT(b.size(), 44u) << name;
        EXPECT_EQ(a.size(), b.size()) << name;
        EXPECT_TRUE(a.substr(44) == b.substr(44)) << name << " differs";
    }
    const auto ripped = std::distance(std::filesystem::directory_iterator(theirs),
                                      std::filesystem::directory_iterator());
    EXPECT_EQ(static_cast<std::size_t>(ripped), ours.size());
}

INSTANTIATE_TEST_SUITE_P(DemoAndPatternDiscs, SameAsCdParanoia, ::testing::Bool());

// Runs korvida-cli with standard error on a pipe, sends `signals` back to back once
// `ready` holds for what has come there, and collects the rest.
test::CliResult RunAndInterrupt(const std::vector<std::string>& args,
                                const std::function<bool(const std::string& err)>& ready,
                                const std::vector<int>& signals = {SIGINT}) {
    test::TempDir dir;
    int errPipe[2];
    if (::pipe(errPipe) != 0)
        return {};
    const test::CliArgv cargs(args);
    const std::string outPath = dir / "out";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(o, STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::close(errPipe[0]);
        ::execv(cargs.path(), cargs.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    test::CliResult result;
    bool sent = false;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errPipe[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        result.err.append(buffer, static_cast<std::size_t>(n));
        if (!sent && ready(result.err)) {
            for (int signal : signals)
                ::kill(pid, signal);
            sent = true;
        }
    }
    ::close(errPipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = test::ReadFile(outPath);
    return result;
}

// Three half-hour tracks of a sparse image in `folder`: long enough that a signal always
// lands inside the first one, without using the disk space.
constexpr std::uint32_t kLongTrack = 30 * 60 * 75;
std::string WriteLongDisc(const std::string& folder) {
    std::filesystem::create_directories(folder);
    test::WriteDisc(folder, {0, kLongTrack, 2 * kLongTrack}, 3 * kLongTrack, std::string(1, '\0'));
    std::filesystem::resize_file(folder + "/disc.bin", std::uintmax_t{3} * kLongTrack * 2352);
    return folder + "/disc.cue";
}

TEST(RipInterrupt, CtrlCCancelsTheTrackKeepsAWellFormedWavAndExits130) {
    test::TempHome home;
    constexpr std::uint32_t kTrack = kLongTrack;
    const auto r = RunAndInterrupt(
        {"--image", WriteLongDisc(home / "disc"), "rip", "--format", "wav"},
        [](const std::string& err) { return err.find("正在抓取 (01/03)") != std::string::npos; });
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_THAT(r.err, HasSubstr(") 用户取消操作。\n"));
    EXPECT_THAT(r.err, Not(HasSubstr("(02/03)")));
    EXPECT_THAT(r.err, Not(HasSubstr("完成")));
    // The completion page's list: the cancelled track's partial file.
    ASSERT_THAT(test::Lines(r.out), ElementsAre(home / "output/01-音轨 1.WAV"));
    const std::string wav = test::ReadFile(home / "output/01-音轨 1.WAV");
    EXPECT_EQ(test::SizesOf(wav).data, wav.size() - 44);
    EXPECT_EQ(test::SizesOf(wav).riff, wav.size() - 8);
    EXPECT_LT(wav.size(), 44u + std::size_t{kTrack} * 2352);
    EXPECT_EQ((wav.size() - 44) % 2352, 0u);
}

// However the program is asked to end, and however often, the job's clean-up runs before
// it ends: the MP3 rip's temporary WAV and its half-made output go, and the exit status
// names the first signal (130 for Ctrl+C, as before).
TEST(RipInterrupt, SigtermSighupAndASecondCtrlCLeaveNoTemporaryFile) {
    for (const std::vector<int>& signals :
         std::vector<std::vector<int>>{{SIGTERM}, {SIGHUP}, {SIGINT, SIGINT}, {SIGTERM, SIGINT}}) {
        SCOPED_TRACE(::testing::PrintToString(signals));
        test::TempHome home;
        home.KeepTemporaryFilesInside();
        const std::string cue = WriteLongDisc(home / "disc");
        // Signalled once the job's files exist.
        const auto r = RunAndInterrupt(
            {"--image", cue, "rip", "--format", "mp3"},
            [&](const std::string&) { return !test::TemporaryFilesUnder(home.path()).empty(); },
            signals);
        EXPECT_EQ(r.status, 128 + signals[0]) << r.err;
        EXPECT_THAT(r.err, HasSubstr("用户取消操作"));
        EXPECT_THAT(test::TemporaryFilesUnder(home.path()), ::testing::IsEmpty());
    }
}

}  // namespace
}  // namespace korvida
