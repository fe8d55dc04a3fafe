// Verified rips through the whole binary: the checksums of ripped tracks against an
// independent implementation, and the database lookup against a loopback server.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "core/disc/DiscInfo.h"
#include "core/text/FormatText.h"
#include "core/verify/AccurateRipDisc.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "support/RipTestSupport.h"
#include "support/RunCli.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Capture(const std::string& command) {
    std::string out = test::RunCommand(command);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The verification lines of a rip's standard error, by track number ("01"), up to their
// CTDB part (or from it on, `ctdb`).
std::map<std::string, std::string> VerificationLines(const std::string& err, bool ctdb = false) {
    std::map<std::string, std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 9 && line.compare(2, 7, " CRC32 ") == 0) {
            const std::size_t at = line.find(" CTDB ");
            lines[line.substr(0, 2)] = !ctdb                     ? line.substr(0, at)
                                       : at == std::string::npos ? std::string()
                                                                 : line.substr(at + 1);
        }
    }
    return lines;
}

// A disc of tracks `lengths` sectors long, in the pattern of the rip tests, with some
// all-zero sectors and zero samples so that the two CRC32 figures differ.
std::string WriteLayout(const std::string& folder, const std::vector<std::uint32_t>& lengths) {
    std::vector<std::uint32_t> starts;
    std::uint32_t leadout = 0;
    for (std::uint32_t length : lengths) {
        starts.push_back(leadout);
        leadout += length;
    }
    std::string bin = test::Frames(0, leadout);
    for (std::uint32_t lba = 0; lba < leadout; ++lba) {
        char* frame = &bin[std::size_t{lba} * test::kFrameBytes];
        if (lba % 50 == 7)
            std::fill(frame, frame + test::kFrameBytes, '\0');
        frame[100] = frame[101] = '\0';
    }
    std::filesystem::create_directories(folder);
    return test::WriteDisc(folder, starts, leadout, bin);
}

struct Layout {
    const char* name;
    std::vector<std::uint32_t> lengths;  // sectors
};

class VerifiedRipChecksums : public ::testing::TestWithParam<Layout> {};

// Every track's figures equal those of accuraterip-checksum and Python's zlib over the
// ripped WAV, the first and last track's edge rules and tracks shorter than the five
// sectors they leave out included. Trimming the silence changes the files, never the
// figures: they describe the tracks as they are on the disc.
TEST_P(VerifiedRipChecksums, EqualAnIndependentImplementationAndIgnoreTrimming) {
    if (!test::HaveTool("accuraterip-checksum"))
        GTEST_SKIP() << "accuraterip-checksum is not installed";
    const auto& lengths = GetParam().lengths;
    test::TempHome home;
    const std::string cue = WriteLayout(home / "disc", lengths);
    test::WriteFile(home / "Settings.ini", "[AccurateRip]\nLookup=0\n");
    const auto r = test::RunCli({"--image", cue, "rip", "--format", "wav", "--rule", "<number>"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = VerificationLines(r.err);
    ASSERT_EQ(lines.size(), lengths.size()) << r.err;

    const std::string total = std::to_string(lengths.size());
    for (std::size_t t = 1; t <= lengths.size(); ++t) {
        const std::string number = FormatText("%02zu", t);
        const std::string wav = home / ("output/" + number + ".WAV");
        const std::string args = " '" + wav + "' " + std::to_string(t) + " " + total;
        const std::string crcs = Capture(
            "python3 -c \"import sys, zlib, array; d = open(sys.argv[1], 'rb').read()[44:]; "
            "a = array.array('h', d); nz = array.array('h', [x for x in a if x]).tobytes(); "
            "print('%08x' % zlib.crc32(d), '%08x' % zlib.crc32(nz))\" '" +
            wav + "'");
        const std::string expected =
            number + " CRC32 " + crcs.substr(0, 8) + " CRC32-nonull " + crcs.substr(9) + " ARv1 " +
            Lower(Capture("accuraterip-checksum --accuraterip-v1" + args)) + " ARv2 " +
            Lower(Capture("accuraterip-checksum --accuraterip-v2" + args)) + " 未查询数据库";
        EXPECT_EQ(lines.at(number), expected);
    }

    test::WriteFile(home / "Settings.ini",
                    "[AccurateRip]\nLookup=0\n[CDROM]\nDeleteSilence=1\nLeadingFrame=80\n"
                    "TrailingFrame=90\n");
    const auto trimmed = test::RunCli(
        {"--image", cue, "rip", "--format", "wav", "--rule", "<number>", "--output", home / "t"});
    ASSERT_EQ(trimmed.status, 0) << trimmed.err;
    EXPECT_EQ(VerificationLines(trimmed.err), lines);
    if (lengths.front() > 75) {
        EXPECT_THAT(trimmed.err, HasSubstr("写入的文件已裁剪静音，与之不同。"));
        EXPECT_LT(std::filesystem::file_size(home / "t/01.WAV"),
                  std::filesystem::file_size(home / "output/01.WAV"));
    }
}

INSTANTIATE_TEST_SUITE_P(Discs, VerifiedRipChecksums,
                         ::testing::Values(Layout{"ShortMiddleTrack", {520, 3, 470}},
                                           Layout{"OneTrack", {455}},
                                           Layout{"ShortFirstAndLast", {4, 460, 2}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The lookup against a loopback database. Each scenario gives the server's answer and
// the result every track must show; the rip itself succeeds in every one.
struct LookupScenario {
    const char* name;
    // Sets the server's route for the disc's database file, given the tracks' figures.
    std::function<void(test::HttpTestServer&, const std::string& target, const AccurateRipDisc&,
                       const std::vector<TrackChecksums>&)>
        serve;
    std::vector<std::string> results;
};

// A pressing of `disc` (its ids in the header) with these confidences and CRCs.
std::string Pressing(const AccurateRipDisc& disc,
                     const std::vector<std::array<std::uint32_t, 2>>& tracks) {
    std::string bytes(1, static_cast<char>(tracks.size()));
    bytes += test::Le32(disc.id1) + test::Le32(disc.id2) + test::Le32(disc.freedbId);
    for (const auto& [confidence, crc] : tracks)
        bytes += static_cast<char>(confidence) + test::Le32(crc) + test::Le32(0x450);
    return bytes;
}

// Pressing 1 holds track 1 by v1, pressing 2 track 2 by v2; nobody has track 3 right.
std::string TwoPressings(const AccurateRipDisc& disc, const std::vector<TrackChecksums>& sums) {
    return Pressing(disc, {{7, sums[0].arV1}, {1, ~sums[1].arV2}, {1, ~sums[2].arV1}}) +
           Pressing(disc, {{2, ~sums[0].arV1}, {3, sums[1].arV2}, {1, ~sums[2].arV2}});
}

// The disc ids of the image at `cue` and the figures of its tracks, `lengths` sectors
// long, taken here from the image's bytes.
struct DiscFigures {
    AccurateRipDisc disc;
    std::vector<TrackChecksums> sums;
};

DiscFigures FiguresOf(const std::string& cue, const std::vector<std::uint32_t>& lengths) {
    DiscFigures figures;
    test::DriverOnImage drive(cue);
    std::array<std::uint8_t, DiscInfo::kRawTocSize> toc{};
    if (!drive.driver->ReadTOC(toc.data(), 0))
        return figures;
    figures.disc = AccurateRipDiscOf(toc.data());
    const std::string bin =
        test::ReadFile(std::filesystem::path(cue).replace_extension(".bin").string());
    std::size_t at = 0;
    for (std::size_t t = 0; t < lengths.size(); ++t) {
        TrackChecksumAccumulator accumulator(figures.disc.PositionOf(static_cast<int>(t)));
        const std::size_t bytes = std::size_t{lengths[t]} * test::kFrameBytes;
        accumulator.Feed(reinterpret_cast<const std::uint8_t*>(bin.data()) + at, bytes);
        at += bytes;
        TrackVerification verification;
        accumulator.Store(verification);
        figures.sums.push_back(verification.sums);
    }
    return figures;
}

class VerifiedRipLookup : public ::testing::TestWithParam<LookupScenario> {};

TEST_P(VerifiedRipLookup, ReportsEachTrackAndNeverFailsTheRip) {
    test::TempHome home;
    const std::vector<std::uint32_t> lengths = {300, 200, 250};
    const std::string cue = WriteLayout(home / "disc", lengths);

    const DiscFigures figures = FiguresOf(cue, lengths);
    ASSERT_TRUE(figures.disc.ok);

    test::HttpTestServer server;
    const std::string target = "/accuraterip/" + figures.disc.DatabasePath();
    GetParam().serve(server, target, figures.disc, figures.sums);
    test::WriteFile(home / "Settings.ini",
                    "[AccurateRip]\nServer=127.0.0.1:" + std::to_string(server.port()) + "\n");

    const auto started = std::chrono::steady_clock::now();
    const auto r = test::RunCli({"--image", cue, "rip", "--format", "wav"});
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;  // the three files
    std::vector<std::string> results;
    for (const auto& [number, line] : VerificationLines(r.err))
        results.push_back(line.substr(line.find(" ARv2 ") + 15));
    EXPECT_EQ(results, GetParam().results) << r.err;
    ASSERT_GE(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, target);
    // The rip waits for an unanswered lookup five seconds, not the request's own time-out.
    EXPECT_LT(seconds.count(), 30.0);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, VerifiedRipLookup,
    ::testing::Values(
        LookupScenario{"TwoPressingsMatchByV1AndV2",
                       [](test::HttpTestServer& server, const std::string& target,
                          const AccurateRipDisc& disc, const std::vector<TrackChecksums>& sums) {
                           server.Answer(target, 200, TwoPressings(disc, sums),
                                         "application/octet-stream");
                       },
                       {"准确抓取 (可信度 7, v1)", "准确抓取 (可信度 3, v2)", "不准确"}},
        // The same pressings under the ids of another disc (a server that confuses two
        // files): believed, they would confirm tracks 1 and 2.
        LookupScenario{"AnotherDiscsReply",
                       [](test::HttpTestServer& server, const std::string& target,
                          const AccurateRipDisc& disc, const std::vector<TrackChecksums>& sums) {
                           AccurateRipDisc other = disc;
                           other.id2 += 1;
                           server.Answer(target, 200, TwoPressings(other, sums),
                                         "application/octet-stream");
                       },
                       {"数据库回复无法解读", "数据库回复无法解读", "数据库回复无法解读"}},
        LookupScenario{"UnknownDisc",
                       [](test::HttpTestServer&, const std::string&, const AccurateRipDisc&,
                          const std::vector<TrackChecksums>&) {},
                       {"不在数据库中", "不在数据库中", "不在数据库中"}},
        LookupScenario{"TruncatedReply",
                       [](test::HttpTestServer& server, const std::string& target,
                          const AccurateRipDisc& disc, const std::vector<TrackChecksums>& sums) {
                           const std::string whole = TwoPressings(disc, sums);
                           server.Answer(target, 200, whole.substr(0, whole.size() - 5),
                                         "application/octet-stream");
                       },
                       {"数据库回复无法解读", "数据库回复无法解读", "数据库回复无法解读"}},
        LookupScenario{"ServerNeverAnswers",
                       [](test::HttpTestServer& server, const std::string& target,
                          const AccurateRipDisc&, const std::vector<TrackChecksums>&) {
                           test::HttpTestServer::Route route;
                           route.mode = test::HttpTestServer::Mode::kNeverAnswer;
                           server.SetRoute(target, route);
                       },
                       {"查询未完成", "查询未完成", "查询未完成"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The accuraterip command prints the ids, the database path and every pressing's tracks.
TEST(AccurateRipCommand, PrintsTheIdsPathAndPressings) {
    test::TempHome home;
    const std::string cue = WriteLayout(home / "disc", {300, 200});
    test::HttpTestServer server;
    const auto first = test::RunCli(
        {"--image", cue, "accuraterip", "--server", "127.0.0.1:" + std::to_string(server.port())});
    EXPECT_EQ(first.status, 0) << first.err;
    // Tracks at 0 and 300, lead-out 500: id1 800, id2 1 + 600 + 1500.
    const std::string path = "0/2/3/dBAR-002-00000320-00000835-";
    EXPECT_THAT(first.out, HasSubstr("accuraterip id: 002-00000320-00000835-"));
    EXPECT_THAT(first.out, HasSubstr("database path: " + path));
    EXPECT_THAT(first.out, HasSubstr("不在数据库中"));

    const std::string target = server.Requests().at(0).target;
    const AccurateRipDisc disc = FiguresOf(cue, {300, 200}).disc;
    server.Answer(target, 200,
                  Pressing(disc, {{7, 0x1234abcd}, {0, 5}}) + Pressing(disc, {{2, 9}, {1, 8}}),
                  "application/octet-stream");
    const auto r = test::RunCli(
        {"--image", cue, "accuraterip", "--server", "127.0.0.1:" + std::to_string(server.port())});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 6u) << r.out;
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 2, lines.end()),
                ElementsAre("01 7 1234abcd 00000450", "02 0 00000005 00000450",
                            "01 2 00000009 00000450", "02 1 00000008 00000450"));
}

// A drive that fails silently returns zeros, whose checksums are 0, and the database
// keeps empty slots (confidence 0, CRC 0): the silent track is named as such, never
// confirmed, alike in the verification lines and the rip log's summary.
TEST(VerifiedRip, ASilentTrackIsNeverConfirmedByEmptySlots) {
    test::TempHome home;
    const std::vector<std::uint32_t> lengths = {300, 200, 250};
    std::string bin = test::Frames(0, 750);
    std::fill(bin.begin() + 300 * test::kFrameBytes, bin.begin() + 500 * test::kFrameBytes, '\0');
    std::filesystem::create_directories(home / "disc");
    const std::string cue = test::WriteDisc(home / "disc", {0, 300, 500}, 750, bin);
    const DiscFigures figures = FiguresOf(cue, lengths);
    ASSERT_TRUE(figures.disc.ok);
    ASSERT_EQ(figures.sums[1].arV2, 0u);

    test::HttpTestServer server;
    // As real replies hold them: a pressing with one empty slot, and one all empty.
    server.Answer("/accuraterip/" + figures.disc.DatabasePath(), 200,
                  Pressing(figures.disc, {{5, figures.sums[0].arV1}, {0, 0}, {4, 1}}) +
                      Pressing(figures.disc, {{0, 0}, {0, 0}, {0, 0}}),
                  "application/octet-stream");
    test::WriteFile(home / "Settings.ini",
                    "[AccurateRip]\nServer=127.0.0.1:" + std::to_string(server.port()) + "\n");
    const auto r = test::RunCli({"--image", cue, "rip", "--format", "wav", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> results;
    for (const auto& [number, line] : VerificationLines(r.err))
        results.push_back(line.substr(line.find(" ARv2 ") + 15));
    EXPECT_THAT(results, ElementsAre("准确抓取 (可信度 5, v1)", "无法校验 (全为静音)", "不准确"));

    std::string logPath;  // the last line of the output
    std::istringstream out(r.out);
    for (std::string line; std::getline(out, line);)
        logPath = line;
    const std::string log = test::ReadFile(logPath);
    EXPECT_THAT(log, HasSubstr("  AccurateRip: 无法校验 (全为静音)\n"));
    EXPECT_THAT(log, HasSubstr("  未能确认准确抓取的音轨:\n    02  无法校验 (全为静音)\n"
                               "    03  不准确\n"));
}

// Ctrl+C ends a lookup the server never answers at once, as it ends a job: exit 130,
// not the deadline's failure a minute later.
TEST(AccurateRipCommand, CtrlCEndsALookupUnderWay) {
    test::TempHome home;
    const std::string cue = WriteLayout(home / "disc", {300, 200});
    test::HttpTestServer server;
    test::HttpTestServer::Route silent;
    silent.mode = test::HttpTestServer::Mode::kNeverAnswer;
    server.SetRoute("/", silent);
    const std::string address = "127.0.0.1:" + std::to_string(server.port());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(KORVIDA_CLI_PATH, KORVIDA_CLI_PATH, "--image", cue.c_str(), "accuraterip",
                "--server", address.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    const bool asked = server.WaitForRequests(1, 30000);
    ::kill(pid, SIGINT);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(asked);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
}

}  // namespace
}  // namespace korvida

namespace korvida {
namespace {

// The CTDB figures of a rip equal Python's zlib over the ripped files less CTDB's edges;
// a loopback database holding them confirms every track, one holding another figure for
// a track says it differs, and the rip log carries both.
TEST(VerifiedRip, CtdbFiguresEqualZlibAndALoopbackDatabaseConfirmsThem) {
    test::TempHome home;
    const std::vector<std::uint32_t> lengths = {300, 200, 250};
    const std::string cue = WriteLayout(home / "disc", lengths);
    test::HttpTestServer server;
    test::WriteFile(home / "Settings.ini",
                    "[AccurateRip]\nLookup=0\n[CTDB]\nServer=" + server.BaseUrl() + "\n");
    const auto first = test::RunCli(
        {"--image", cue, "rip", "--format", "wav", "--rule", "<number>", "--output", home / "out"});
    ASSERT_EQ(first.status, 0) << first.err;
    // 750 sectors: the end leaves out 5880 + 750 × 588 mod 5880 samples.
    // 750 sectors: the end leaves out 5880 + 750 × 588 mod 5880 samples.
    const std::string expected = Capture(
        "/usr/bin/python3 -c \"import sys, zlib; t = [open(f, 'rb').read()[44:] for f in "
        "sys.argv[1:]]; d = b''.join(t); e = 4 * (5880 + 750 * 588 % 5880); "
        "print('%08x' % zlib.crc32(d[4 * 5880:len(d) - e]), '%08x' % zlib.crc32(t[0][4 * 5880:]), "
        "'%08x' % zlib.crc32(t[1]), '%08x' % zlib.crc32(t[2][:len(t[2]) - e]))\" " +
        (home / "out/01.WAV") + " " + (home / "out/02.WAV") + " " + (home / "out/03.WAV"));
    ASSERT_EQ(expected.size(), 35u) << expected;
    const std::string disc = expected.substr(0, 8);
    const std::string tracks = expected.substr(9, 26);
    const auto lines = VerificationLines(first.err, true);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.at("01"), "CTDB " + tracks.substr(0, 8) + " 不在数据库中");
    EXPECT_EQ(lines.at("03"), "CTDB " + tracks.substr(18, 8) + " 不在数据库中");

    server.Answer("/lookup2.php", 200,
                  "<ctdb><entry confidence=\"4\" crc32=\"" + disc + "\" trackcrcs=\"" + tracks +
                      "\"/><entry confidence=\"1\" crc32=\"00000001\" trackcrcs=\"" +
                      tracks.substr(0, 9) + "00000002 " + tracks.substr(18, 8) + "\"/></ctdb>",
                  "text/xml");
    const auto r = test::RunCli({"--image", cue, "rip", "--format", "wav", "--rule", "<number>",
                                 "--output", home / "again", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto confirmed = VerificationLines(r.err, true);
    EXPECT_EQ(confirmed.at("01"), "CTDB " + tracks.substr(0, 8) + " 准确 (可信度 5/5)");
    EXPECT_EQ(confirmed.at("02"), "CTDB " + tracks.substr(9, 8) + " 准确 (可信度 4/5)");
    const std::string logPath = r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
    const std::string log = test::ReadFile(logPath.substr(0, logPath.size() - 1));
    EXPECT_NE(log.find("  CTDB: " + tracks.substr(9, 8) + " 准确 (可信度 4/5)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("CTDB 校验: 开"), std::string::npos);
}

}  // namespace
}  // namespace korvida
