// Secure reads through Extract: a track read from a damaged disc comes out right, or
// says where it may not be.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/cdrom/Cdb.h"
#include "core/rip/ExtractTrack.h"
#include "core/rip/RipStep.h"
#include "core/verify/VerificationLine.h"
#include "core/verify/VerificationSummary.h"
#include "core/verify/VerificationText.h"
#include "support/ExtractFixture.h"
#include "support/RipTestSupport.h"

namespace korvida {
namespace {

using test::Frames;
using test::LogTexts;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class SecureRipTest : public test::ExtractFixture {
  protected:
    SecureRipTest() { InsertDisc({0, 200}, 1200); }

    VirtualDriveFaults& faults() { return disc->drive->faults(); }
    const TrackVerification& Check() const { return job.items[0].verification; }
};

// Misreads that wear off after one or two reads, some sharing a chunk, under a cache that
// would hand a misread back: every mode that re-reads gets the disc's bytes, test and
// copy on top included.
struct ModeCase {
    const char* name;
    int mode;
    bool testAndCopy;
};
class SecureModesTest : public SecureRipTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SecureModesTest, MisreadsAreReadAgainUntilTwoReadsAgree) {
    const ModeCase c = GetParam();
    faults().altered = {{250, 1, 1}, {251, 1, 2}, {700, 1, 2}, {1100, 1, 1}};
    faults().cacheFrames = 100;
    faults().c2Pointers = true;
    settings.SecureMode = c.mode;
    settings.TestAndCopy = c.testAndCopy;
    ASSERT_EQ(Extract(200, 1200, 1), 1);

    EXPECT_TRUE(Samples() == Frames(200, 1000));
    const TrackVerification& v = Check();
    EXPECT_EQ(v.secureMode, c.mode);
    EXPECT_EQ(v.c2Used, c.mode == 2);
    EXPECT_TRUE(v.suspiciousSpans.empty());
    EXPECT_FALSE(v.suspicious);
    EXPECT_EQ(VerificationText(v), "");
    if (!c.testAndCopy) {
        EXPECT_EQ(v.rereadSectors, 4);
        EXPECT_THAT(LogTexts(log), Contains("安全读取: Track 2 有 4 个扇区重新读取。"));
    } else {
        EXPECT_EQ(v.testCrc, v.copyCrc);  // the test read was as right as the copy
    }
    EXPECT_THAT(LogTexts(log), Not(Contains(HasSubstr("可疑"))));
}

INSTANTIATE_TEST_SUITE_P(Modes, SecureModesTest,
                         ::testing::Values(ModeCase{"Compare", 1, false}, ModeCase{"C2", 2, false},
                                           ModeCase{"CompareTestAndCopy", 1, true},
                                           ModeCase{"C2TestAndCopy", 2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Reads of frame 300: wrong, wrong (differently), then right for good. Each wrong version
// is read once and the right one twice: the right one wins, and nothing is suspicious.
TEST_F(SecureRipTest, TheVersionReadMostOftenWins) {
    faults().altered = {{300, 1, 2}};
    settings.SecureMode = 1;
    settings.SecureRereads = 2;
    ASSERT_EQ(Extract(200, 400, 1), 1);
    EXPECT_TRUE(Samples() == Frames(200, 200));
    EXPECT_EQ(Check().rereadSectors, 1);
    EXPECT_TRUE(Check().suspiciousSpans.empty());
    // Allowed one re-read less, no version is read twice: the sector is suspicious and
    // the earliest version is kept.
    faults().altered = {{300, 1, 2}};
    settings.SecureRereads = 1;
    ASSERT_EQ(Extract(200, 400, 1), 1);
    EXPECT_FALSE(Samples() == Frames(200, 200));
    EXPECT_EQ(Check().suspiciousSpans, (std::vector<FrameSpan>{{100, 101}}));
}

// Unstable frames of track 2 (from 200) at 00:05.10-00:05.11 and 00:09.25 on a drive
// that reads two frames late, corrected by the read offset: the times are the track's.
TEST_F(SecureRipTest, SuspiciousPositionsAreTheTimesWithinTheTrack) {
    disc->drive->SetReadOffset(2 * 588);
    settings.ReadOffset = 2 * 588;
    const std::uint32_t late = 2;
    for (std::uint32_t frame : {200u + 385, 200u + 386, 200u + 700})
        faults().altered.push_back({frame + late, 1, VirtualDriveFaults::Altered::kAlways});
    settings.SecureMode = 1;
    settings.SecureRereads = 5;
    ASSERT_EQ(Extract(200, 1000, 1), 1);

    TrackVerification v = Check();
    EXPECT_EQ(v.suspiciousSpans, (std::vector<FrameSpan>{{385, 387}, {700, 701}}));
    EXPECT_EQ(v.rereadSectors, 3);
    const std::vector<std::string> lines = LogTexts(log);
    EXPECT_THAT(lines, Contains("可疑: Track 2 有 3 个扇区多次读取都不一致！"));
    EXPECT_THAT(lines, Contains("可疑位置 00:05.10 - 00:05.12"));
    EXPECT_THAT(lines, Contains("可疑位置 00:09.25 - 00:09.26"));
    EXPECT_THAT(VerificationLine(2, v),
                testing::EndsWith(" suspicious 00:05.10-00:05.12,00:09.25-00:09.26"));
    EXPECT_THAT(VerificationText(v), testing::StartsWith("可疑"));
    // Written, but never called right unless the database says it is.
    v.outcome = AccurateRipOutcome::kNotInDatabase;
    EXPECT_EQ(SummariseVerification({&v}).level, VerificationSummary::Level::kProblem);
    v.outcome = AccurateRipOutcome::kAccurate;
    EXPECT_EQ(SummariseVerification({&v}).level, VerificationSummary::Level::kConfirmed);
}

// A drive that claims C2 pointers and flags nothing: the sample of the track's first
// chunk catches a misread it let through, and the track is read again by comparing. A
// drive without pointers is compared from the start. Either way the log says so and the
// rest of the job compares.
class C2DistrustTest : public SecureRipTest, public ::testing::WithParamInterface<bool> {};

TEST_P(C2DistrustTest, CompareModeTakesOverAndTheFileIsRight) {
    const bool liar = GetParam();
    faults().c2Pointers = liar;
    faults().c2FlagsNothing = true;
    faults().altered = {{205, 1, 1}, {900, 1, 1}};
    settings.SecureMode = 2;
    ASSERT_EQ(Extract(200, 1200, 1), 1);

    EXPECT_TRUE(Samples() == Frames(200, 1000));
    EXPECT_EQ(Check().secureMode, 1);
    EXPECT_EQ(Check().c2Used, false);
    EXPECT_TRUE(job.c2Untrusted);
    const std::vector<std::string> lines = LogTexts(log);
    if (liar)
        EXPECT_THAT(
            lines,
            Contains("C2 错误指针没有标出读错的扇区，不再信任 C2: 改用比较模式，从头重新读取 "
                     "Track 2 ..."));
    else
        EXPECT_THAT(lines, Contains("光驱不提供 C2 错误指针，改用比较模式 (每个扇区读取两次)。"));
}

INSTANTIATE_TEST_SUITE_P(LiarOrNone, C2DistrustTest, ::testing::Bool());

// An unreadable sector is the disc's fault, not the C2 pointers': its chunk is skipped
// as in any rip, and the rest is still read with C2.
TEST_F(SecureRipTest, AnUnreadableSectorInC2ModeIsSkippedAndC2StaysTrusted) {
    faults().c2Pointers = true;
    faults().unreadable = {{260, 1}};
    settings.SecureMode = 2;
    settings.BoolSkipError = 1;
    ASSERT_EQ(Extract(200, 400, 1), 1);
    EXPECT_EQ(Check().skippedSectors, (std::vector<std::uint32_t>{252}));
    EXPECT_EQ(Check().secureMode, 2);
    EXPECT_TRUE(Check().c2Used);
    EXPECT_FALSE(job.c2Untrusted);
    EXPECT_TRUE(Samples() == Frames(200, 52) + Frames(278, 122));
}

// The Abort button while an unstable sector is being re-read (up to 100 times): the
// re-reads stop at once and the temporary file is gone.
TEST_F(SecureRipTest, CancelInsideTheRereadsLeavesNothingBehind) {
    job.keepWav = false;
    faults().altered = {{300, 1, VirtualDriveFaults::Altered::kAlways}};
    settings.SecureMode = 1;
    settings.SecureRereads = 100;
    std::vector<std::string> steps;
    progress.onMessage = [&](const Message& m) {
        if (m.id == WM_RIP_STEP) {
            steps.push_back(
                RipStepText(static_cast<RipStep>(m.wParam), static_cast<int>(m.lParam)));
            cancel.Set();
        }
    };
    ASSERT_EQ(Extract(200, 400, 1), 1);
    EXPECT_TRUE(job.context.aborted);
    EXPECT_THAT(steps, ElementsAre("正在重读第 1 个可疑扇区"));
    EXPECT_THAT(LogTexts(log), Contains("用户取消操作。"));
    EXPECT_LT(test::Reads(*disc->drive).size(), 20u);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

// Mode 0 reads as it always has: the warm-up, then each chunk once, and a misread goes
// into the file unnoticed.
TEST_F(SecureRipTest, ModeZeroReadsEachChunkOnce) {
    faults().altered = {{250, 1, 1}};
    faults().c2Pointers = true;
    ASSERT_EQ(Extract(200, 300, 1), 1);
    EXPECT_THAT(test::Reads(*disc->drive),
                ElementsAre(std::pair{174u, 26u}, std::pair{200u, 26u}, std::pair{226u, 26u},
                            std::pair{252u, 26u}, std::pair{278u, 22u}));
    for (const auto& cdb : disc->drive->RecordedCommands())  // no FUA, no MODE SENSE
        EXPECT_TRUE(cdb[0] == opcode::kReadCd || cdb[0] == opcode::kReadToc) << test::Hex(cdb);
    EXPECT_FALSE(Samples() == Frames(200, 100));
    EXPECT_EQ(Check().secureMode, 0);
    EXPECT_THAT(LogTexts(log), ElementsAre("正在抓取 Track 2 ...", "抓取 Track 2 完成！"));
}

}  // namespace
}  // namespace korvida
