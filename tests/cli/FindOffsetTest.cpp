// korvida-cli find-offset on images that answer as drives with a read offset would: their
// audio lies shifted against their TOC, and the loopback database holds the unshifted
// audio's figures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/RunCli.h"
#include "support/ShiftedDisc.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct Drive {
    const char* name;
    int offset;  // samples
    bool v2;     // the database holds the v2 figures (else v1)
};

std::string FormatOffsetLine(int offset) {
    return std::string("offset: ") + (offset >= 0 ? "+" : "") + std::to_string(offset) +
           " (tracks 3/3, confidence 9)";
}

class FindOffset : public ::testing::TestWithParam<Drive> {
  protected:
    void SetUp() override {
        test::WriteFile(home_ / "Settings.ini",
                        "[AccurateRip]\nServer=127.0.0.1:" + std::to_string(server_.port()) +
                            "\n[CTDB]\nVerify=0\n");
    }

    std::string Pressing(int confidence, bool v2) const { return disc_.Pressing(confidence, v2); }
    void Serve(const std::string& reply) {
        server_.Answer(disc_.DatabaseTarget(), 200, reply, "application/octet-stream");
    }

    test::TempHome home_;
    test::HttpTestServer server_;
    test::ShiftedDisc disc_{home_ / "disc", GetParam().offset};
    const std::string cue_ = disc_.cue;
};

// The offset is found exactly, with every track read agreeing, whichever figure the
// database holds; --save stores it, and a rip with it is then accurate.
TEST_P(FindOffset, FindsTheDrivesOffsetExactlyAndARipWithItIsAccurate) {
    const Drive drive = GetParam();
    Serve(Pressing(2, !drive.v2) + Pressing(9, drive.v2));
    const auto r = test::RunCli({"--quiet", "--image", cue_, "find-offset", "--save"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = test::Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], FormatOffsetLine(drive.offset));
    EXPECT_THAT(test::ReadFile(home_ / "Settings.ini"),
                HasSubstr("ReadOffset=" + std::to_string(drive.offset) + "\n"));

    const auto rip = test::RunCli({"--quiet", "--image", cue_, "rip", "--format", "wav", "--tracks",
                                   "2-3", "--output", home_ / "out"});
    ASSERT_EQ(rip.status, 0) << rip.err;
    EXPECT_THAT(rip.err, HasSubstr("ARv2"));
    for (const std::string& line : test::Lines(rip.err))
        if (line.find(" ARv2 ") != std::string::npos) {
            EXPECT_THAT(line,
                        HasSubstr("准确抓取 (可信度 9, v" + std::string(drive.v2 ? "2" : "1")));
        }
}

// A disc the database does not know, and one whose figures no offset gives: said, exit 1,
// and the stored offset stays.
TEST_P(FindOffset, NothingFoundChangesNothing) {
    const std::string before = test::ReadFile(home_ / "Settings.ini");
    auto r = test::RunCli({"--quiet", "--image", cue_, "find-offset", "--save"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("AccurateRip 数据库中没有这张光盘"));
    EXPECT_EQ(r.out, "");

    std::string other = Pressing(9, GetParam().v2);
    for (std::size_t at = 14; at < other.size(); at += 9)
        other[at] = static_cast<char>(other[at] ^ 0x5A);  // every figure changed
    Serve(other);
    r = test::RunCli({"--quiet", "--image", cue_, "find-offset", "--save"});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("没有找到一致的读取偏移"));
    EXPECT_EQ(test::ReadFile(home_ / "Settings.ini"), before);
}

// Ctrl+C while the database keeps the lookup open ends the search at once (exit 130).
TEST_P(FindOffset, CtrlCEndsTheSearch) {
    test::HttpTestServer::Route silent;
    silent.mode = test::HttpTestServer::Mode::kNeverAnswer;
    server_.SetRoute("/", silent);
    const auto r = test::InterruptCli({"--quiet", "--image", cue_, "find-offset", "--save"},
                                      [this] { return !server_.Requests().empty(); });
    EXPECT_EQ(r.status, 130);
    EXPECT_LT(r.secondsAfterSignal, 10.0);
}

INSTANTIATE_TEST_SUITE_P(Drives, FindOffset,
                         ::testing::Values(Drive{"Plus667ByV1", 667, false},
                                           Drive{"Minus1164ByV2", -1164, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvida
