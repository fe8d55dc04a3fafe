// A rip on disk checked again with korvida-cli verify: the same verdicts as the rip itself
// from its cue sheet, its log, its folder and a one-file image, and a changed sample found.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/verify/AccurateRipDisc.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "support/AudioTestSupport.h"
#include "support/DiscImage.h"
#include "support/RunCli.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Lines "NN CRC32 …" of a program's output, in order.
std::vector<std::string> VerificationLines(const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& line : test::Lines(text))
        if (line.size() > 9 && line.compare(2, 7, " CRC32 ") == 0)
            lines.push_back(line);
    return lines;
}

// The first line naming `ending` among a rip's output paths.
std::string OutputEndingIn(const std::string& out, const std::string& ending) {
    for (const std::string& line : test::Lines(out))
        if (line.size() >= ending.size() &&
            line.compare(line.size() - ending.size(), ending.size(), ending) == 0)
            return line;
    return {};
}

// A three-track disc whose AccurateRip pressing holds every track's v1 figure, served with
// a CTDB that does not know the disc.
class RecheckDisc : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::vector<std::uint32_t> starts = {0, 300, 500};
        std::string bin = test::Frames(0, kLeadout);
        // Zero sectors, so that the two CRC32 figures differ.
        for (std::uint32_t lba = 7; lba < kLeadout; lba += 50)
            std::fill_n(bin.begin() + std::ptrdiff_t{lba} * 2352, 2352, '\0');
        fs::create_directories(home_ / "disc");
        cue_ = test::WriteDisc(home_ / "disc", starts, kLeadout, bin);

        const auto toc = test::LbaToc(starts, kLeadout);
        const AccurateRipDisc disc = AccurateRipDiscOf(toc.data());
        std::string pressing(1, '\3');
        pressing += test::Le32(disc.id1) + test::Le32(disc.id2) + test::Le32(disc.freedbId);
        for (int t = 0; t < 3; ++t) {
            const std::uint32_t end = t == 2 ? kLeadout : starts[t + 1];
            TrackChecksumAccumulator sums(disc.PositionOf(t));
            sums.Feed(reinterpret_cast<const std::uint8_t*>(bin.data()) + starts[t] * 2352,
                      std::size_t{end - starts[t]} * 2352);
            TrackVerification v;
            sums.Store(v);
            pressing += static_cast<char>(4 + t) + test::Le32(v.sums.arV1) + test::Le32(0);
        }
        server_.Answer("/accuraterip/" + disc.DatabasePath(), 200, pressing,
                       "application/octet-stream");
        test::WriteFile(home_ / "Settings.ini",
                        "[AccurateRip]\nServer=127.0.0.1:" + std::to_string(server_.port()) +
                            "\n[CTDB]\nServer=" + server_.BaseUrl() + "\n");
    }

    static constexpr std::uint32_t kLeadout = 750;
    test::TempHome home_;
    test::HttpTestServer server_;
    std::string cue_;
};

class RecheckRip : public RecheckDisc, public ::testing::WithParamInterface<const char*> {};

// Every way to name the rip gives the rip's own lines; the folder's TOC is assumed (and
// said so) and matches, as the files are whole sectors from LBA 0.
TEST_P(RecheckRip, GivesTheRipsOwnResultsFromSheetLogFolderAndImage) {
    const std::string format = GetParam();
    const auto rip = test::RunCli({"--quiet", "--image", cue_, "rip", "--format", format, "--log",
                                   "--rule", "<number>", "--output", home_ / "out"});
    ASSERT_EQ(rip.status, 0) << rip.err;
    const std::vector<std::string> expected = VerificationLines(rip.err);
    ASSERT_EQ(expected.size(), 3u) << rip.err;
    ASSERT_THAT(expected[0], HasSubstr("准确抓取 (可信度 4, v1) CTDB "));

    const std::string sheet = OutputEndingIn(rip.out, ".cue");
    const std::string log = OutputEndingIn(rip.out, ".log");
    // The log's files are found beside it, wherever the rip was made.
    fs::rename(home_ / "out", home_ / "moved");
    const std::string moved = home_ / "moved";
    fs::create_directories(home_ / "tracks");
    for (const char* name : {"01", "02", "03"})
        fs::copy_file(moved + "/" + name + "." + (format == std::string("wav") ? "WAV" : "flac"),
                      home_ / ("tracks/" + std::string(name) + "." + format));
    for (const std::string& path :
         {moved + "/" + fs::path(sheet).filename().string(),
          moved + "/" + fs::path(log).filename().string(), std::string(home_ / "tracks")}) {
        const auto r = test::RunCli({"--quiet", "verify", path});
        EXPECT_EQ(r.status, 0) << path << "\n" << r.err;
        EXPECT_EQ(VerificationLines(r.out), expected) << path << "\n" << r.err;
        EXPECT_EQ(r.err.find("TOC 由文件的长度推定") != std::string::npos,
                  path == std::string(home_ / "tracks"))
            << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RecheckRip, ::testing::Values("wav", "flac"));

// One file for the whole disc under a sheet of three TRACKs checks like the three files;
// one sample changed in it is found in its track alone, and the exit status says so.
TEST_F(RecheckDisc, AOneFileImageChecksLikeItsTracksAndAChangedSampleIsFound) {
    const auto rip = test::RunCli({"--quiet", "--image", cue_, "rip", "--format", "wav", "--rule",
                                   "<number>", "--output", home_ / "out"});
    ASSERT_EQ(rip.status, 0) << rip.err;
    const std::vector<std::string> expected = VerificationLines(rip.err);
    ASSERT_EQ(expected.size(), 3u) << rip.err;
    std::string pcm;
    for (const char* name : {"01", "02", "03"}) {
        const std::string wav = test::ReadFile(home_ / ("out/" + std::string(name) + ".WAV"));
        pcm += wav.substr(wav.find("data") + 8);
    }
    ASSERT_EQ(pcm.size(), std::size_t{kLeadout} * 2352);
    fs::create_directories(home_ / "image");
    const std::string image = home_ / "image/disc.wav";
    test::WriteFile(image, test::RiffFile({test::Chunk("fmt ", test::FmtBody(44100, 2, 16)),
                                           test::Chunk("data", pcm)}));
    const std::string sheet = home_ / "image/disc.cue";
    test::WriteFile(sheet,
                    "FILE \"disc.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                    "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n"
                    "  TRACK 03 AUDIO\n    INDEX 01 00:06:50\n");
    const auto whole = test::RunCli({"--quiet", "verify", sheet});
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(VerificationLines(whole.out), expected) << whole.err;

    // One sample of track 2 (LBA 300 …) one step louder.
    std::string changed = test::ReadFile(image);
    changed[changed.size() - pcm.size() + 400 * 2352 + 1000] ^= 1;
    test::WriteFile(image, changed);
    const auto r = test::RunCli({"--quiet", "verify", sheet});
    EXPECT_EQ(r.status, 1) << r.err;
    const std::vector<std::string> lines = VerificationLines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], expected[0]);
    EXPECT_THAT(lines[1], HasSubstr(" 不准确 CTDB "));
    EXPECT_EQ(lines[2], expected[2]);
}

// Ctrl+C while a database keeps the lookup open ends the check at once (exit 130), as it
// ends a rip, not after the request's own time-out.
TEST_F(RecheckDisc, CtrlCEndsTheCheckWhileTheLookupIsUnanswered) {
    test::HttpTestServer::Route silent;
    silent.mode = test::HttpTestServer::Mode::kNeverAnswer;
    server_.SetRoute("/", silent);
    const auto r = test::InterruptCli({"--quiet", "verify", cue_},
                                      [this] { return server_.Requests().size() >= 2; });
    EXPECT_EQ(r.status, 130);
    EXPECT_LT(r.secondsAfterSignal, 10.0);
}

// What cannot be checked is refused, naming the file at fault: exit 2.
TEST_F(RecheckDisc, RefusesWhatItCannotCheckByName) {
    const auto rip = test::RunCli({"--quiet", "--image", cue_, "rip", "--format", "wav", "--log",
                                   "--rule", "<number>", "--output", home_ / "out"});
    ASSERT_EQ(rip.status, 0) << rip.err;
    const std::string log = OutputEndingIn(rip.out, ".log");
    const std::string track2 = home_ / "out/02.WAV";

    // A track file a sector short no longer fits the log's TOC.
    const std::string wav = test::ReadFile(track2);
    const std::string pcm = wav.substr(wav.find("data") + 8);
    test::WriteFile(track2, test::RiffFile({test::Chunk("fmt ", test::FmtBody(44100, 2, 16)),
                                            test::Chunk("data", pcm.substr(2352))}));
    auto r = test::RunCli({"--quiet", "verify", log});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("TOC 不符"));

    // A sheet naming a file that is gone.
    fs::remove(track2);
    r = test::RunCli({"--quiet", "verify", OutputEndingIn(rip.out, ".cue")});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("02.WAV"));

    // A sheet naming a FIFO is refused at once, never waiting for a writer.
    ASSERT_EQ(::mkfifo((home_ / "fifo.wav").c_str(), 0600), 0);
    test::WriteFile(home_ / "fifo.cue",
                    "FILE \"fifo.wav\" WAVE\n  TRACK 01 AUDIO\n"
                    "    INDEX 01 00:00:00\n");
    r = test::RunCli({"--quiet", "verify", home_ / "fifo.cue"});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("fifo.wav"));

    // Lossy files, alone in a folder or named themselves.
    fs::create_directories(home_ / "mp3");
    test::WriteFile(home_ / "mp3/01.mp3", "ID3");
    for (const std::string& path :
         {std::string(home_ / "mp3"), std::string(home_ / "mp3/01.mp3")}) {
        r = test::RunCli({"--quiet", "verify", path});
        EXPECT_EQ(r.status, 2);
        EXPECT_THAT(r.err, HasSubstr("01.mp3: 有损压缩的文件"));
    }
}

}  // namespace
}  // namespace korvida
