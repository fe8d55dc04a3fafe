// The one line a rip's verification ends with, and the words behind each result.
#include <gtest/gtest.h>

#include "core/verify/MatchAccurateRip.h"
#include "core/verify/VerificationSummary.h"

namespace korvida {
namespace {

using Level = VerificationSummary::Level;
using Status = AccurateRipLookupResult::Status;

TrackVerification Track(AccurateRipOutcome outcome, Status status = Status::kFound) {
    TrackVerification v;
    v.checked = outcome != AccurateRipOutcome::kNotChecked;
    v.outcome = outcome;
    if (outcome == AccurateRipOutcome::kAccurate) {
        v.confidence = 12;
        v.version = 2;
    }
    v.resultText = AccurateRipResultText(v, status);
    return v;
}

VerificationSummary Summary(const std::vector<TrackVerification>& tracks) {
    std::vector<const TrackVerification*> pointers;
    for (const TrackVerification& v : tracks)
        pointers.push_back(&v);
    return SummariseVerification(pointers);
}

TEST(VerificationSummary, SaysWhatTheDatabaseFoundAndTakesTheIconFromTheWorst) {
    using O = AccurateRipOutcome;
    const auto mixed = Summary({Track(O::kAccurate), Track(O::kNotAccurate), Track(O::kAccurate)});
    EXPECT_EQ(mixed.line,
              "3 条音轨中 2 条与 AccurateRip 数据库中其他人的抓取一致；1 条不一致 — "
              "可能是划痕或读取错误。");
    EXPECT_EQ(mixed.level, Level::kProblem);
    // The explanation covers the results present, and only those.
    EXPECT_NE(mixed.details.find("“不准确”"), std::string::npos);
    EXPECT_NE(mixed.details.find("v1 和 v2"), std::string::npos);
    EXPECT_EQ(mixed.details.find("全为静音"), std::string::npos);

    const auto all = Summary({Track(O::kAccurate), Track(O::kAccurate)});
    EXPECT_EQ(all.line, "2 条音轨全部与 AccurateRip 数据库中其他人的抓取一致。");
    EXPECT_EQ(all.level, Level::kConfirmed);

    // Silence and a missing entry are no fault of the rip: not confirmed, not a problem.
    const auto silent = Summary({Track(O::kAccurate), Track(O::kSilent), Track(O::kNotInDatabase)});
    EXPECT_EQ(silent.line,
              "3 条音轨中 1 条与 AccurateRip 数据库中其他人的抓取一致；1 条在数据库中还没有记录；"
              "1 条全为静音，无法校验。");
    EXPECT_EQ(silent.level, Level::kUnconfirmed);

    EXPECT_EQ(Summary({Track(O::kNotInDatabase, Status::kNotInDatabase)}).line,
              "AccurateRip 数据库中还没有这张光盘，无法与其他人的抓取比较。");
    const auto failed = Summary(
        {Track(O::kLookupFailed, Status::kFailed), Track(O::kLookupFailed, Status::kFailed)});
    EXPECT_EQ(failed.line,
              "未能从 AccurateRip 数据库得到结果 (查询失败)，无法与其他人的抓取比较。");
    EXPECT_EQ(failed.level, Level::kUnconfirmed);

    // Verification off and no test and copy: nothing to say, the page keeps its words.
    const auto nothing = Summary({Track(O::kNotChecked), Track(O::kNotChecked)});
    EXPECT_EQ(nothing.level, Level::kNothing);
    EXPECT_TRUE(nothing.line.empty());
    // Unless sectors were left out: that is a fault whatever else was checked.
    TrackVerification skipped = Track(O::kNotChecked);
    skipped.skippedSectors = {1000};
    EXPECT_EQ(Summary({skipped}).level, Level::kProblem);
}

// The CUETools database speaks beside AccurateRip: a track either one confirms is
// confirmed, a track either one finds different is a problem.
TEST(VerificationSummary, TheSecondDatabaseConfirmsOrFindsFaultToo) {
    using O = AccurateRipOutcome;
    auto track = [](O outcome, CtdbOutcome ctdb) {
        TrackVerification v = Track(outcome, Status::kNotInDatabase);
        v.ctdbOutcome = ctdb;
        v.ctdbConfidence = 3;
        v.ctdbTotal = 4;
        return v;
    };
    const auto confirmed = Summary({track(O::kNotInDatabase, CtdbOutcome::kAccurate),
                                    track(O::kNotInDatabase, CtdbOutcome::kAccurate)});
    EXPECT_EQ(
        confirmed.line,
        "AccurateRip 数据库中还没有这张光盘，无法与其他人的抓取比较；CTDB 数据库确认了全部 2 条。");
    EXPECT_EQ(confirmed.level, Level::kConfirmed);
    EXPECT_NE(confirmed.details.find("CUETools"), std::string::npos);
    EXPECT_NE(VerificationExplanation(track(O::kNotInDatabase, CtdbOutcome::kAccurate))
                  .find("CTDB 数据库中 3 次提交 (共 4 次) 与它一致"),
              std::string::npos);
    const auto differs = Summary({track(O::kNotInDatabase, CtdbOutcome::kAccurate),
                                  track(O::kNotInDatabase, CtdbOutcome::kDiffers)});
    EXPECT_EQ(differs.level, Level::kProblem);
    EXPECT_NE(differs.line.find("CTDB 数据库中 1 条一致，1 条有差异"), std::string::npos)
        << differs.line;
}

TEST(VerificationSummary, TestAndCopyIsToldWhenItPassesAndWhenItFails) {
    using O = AccurateRipOutcome;
    TrackVerification agreed = Track(O::kNotChecked);
    agreed.tested = true;
    agreed.readCrcs = {0xCAFEBABE, 0xCAFEBABE};
    agreed.copyCrc = 0xCAFEBABE;
    agreed.agreedWith = 0;
    const auto passed = Summary({agreed, agreed});
    EXPECT_EQ(passed.line, "测试与复制: 每条音轨都有两次读取一致。");
    EXPECT_EQ(passed.level, Level::kConfirmed);
    EXPECT_EQ(VerificationExplanation(agreed),
              "没有计算校验和 (校验已关闭，或音轨没有完整读取)。 测试与复制: 两次读取一致 "
              "(CRC32 CAFEBABE)。");

    // A track whose reads never agreed outweighs a database match of the others.
    TrackVerification suspicious = Track(O::kAccurate);
    suspicious.tested = true;
    suspicious.suspicious = true;
    suspicious.readCrcs = {1, 2, 3};
    TrackVerification matched = Track(O::kAccurate);
    matched.tested = true;
    matched.rereads = 1;
    matched.readCrcs = {1, 2, 1};
    matched.agreedWith = 0;
    matched.copyCrc = 1;
    const auto both = Summary({matched, suspicious});
    EXPECT_EQ(both.level, Level::kProblem);
    EXPECT_EQ(both.line,
              "2 条音轨全部与 AccurateRip 数据库中其他人的抓取一致；1 条音轨多次读取互不一致 — "
              "文件可能有错误。");
    EXPECT_EQ(VerificationExplanation(matched),
              "与 AccurateRip 数据库中 12 次提交的抓取完全一致 (第 2 版校验和)。 测试与复制: "
              "第 3 次读取与第 1 次读取一致 (CRC32 00000001)。");
}

}  // namespace
}  // namespace korvida
