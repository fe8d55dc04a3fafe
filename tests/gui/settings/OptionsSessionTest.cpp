#include "gui/settings/OptionsSession.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TempHome.h"

namespace korvida::gui {
namespace {

using Id = OptionsPageId;

// Pages that record their turn, refuse where told, and change one setting each.
struct FakePages {
    std::vector<Id> checked, committed;
    Id refuseFields = Id(-1), refuseCommit = Id(-1);

    bool Check(Id id) {
        checked.push_back(id);
        return id != refuseFields;
    }
    bool Commit(Id id, Settings& s) {
        committed.push_back(id);
        if (id == Id::kCdrom)
            s.CDROMDriver = 1;
        if (id == Id::kAppearance)
            s.TextColor = 0x123456;
        return id != refuseCommit;
    }
    std::optional<Id> Run(OptionsSession& session) {
        return session.Commit([this](Id id) { return Check(id); },
                              [this](Id id, Settings& s) { return Commit(id, s); });
    }
};

const std::vector<Id> kCommitOrder = {Id::kOutput, Id::kMp3,        Id::kFreedb, Id::kCdrom,
                                      Id::kVerify, Id::kAppearance, Id::kMisc1,  Id::kMisc2,
                                      Id::kOgg,    Id::kFlac,       Id::kOpus,   Id::kMusicBrainz};

TEST(OptionsSession, ChecksEveryPageThenCommitsInOrderAndReportsWhatChanged) {
    Settings live;
    OptionsSession session(live, 2);
    FakePages pages;
    pages.refuseCommit = Id::kMisc2;  // a later page's refusal is not consulted
    EXPECT_EQ(pages.Run(session), std::nullopt);
    EXPECT_EQ(pages.checked, kCommitOrder);
    EXPECT_EQ(pages.committed, kCommitOrder);
    EXPECT_EQ(live.CDROMDriver, 1);
    const OptionsOutcome& outcome = session.outcome();
    EXPECT_TRUE(outcome.accepted);
    EXPECT_TRUE(outcome.driveChanged);
    EXPECT_EQ(outcome.drive, 1);
    EXPECT_TRUE(outcome.colorsChanged);
    EXPECT_FALSE(outcome.transportChanged);

    // An empty drive list means there is nothing to switch to.
    Settings noDrives;
    OptionsSession empty(noDrives, 0);
    FakePages again;
    EXPECT_EQ(again.Run(empty), std::nullopt);
    EXPECT_FALSE(empty.outcome().driveChanged);
}

TEST(OptionsSession, ARefusalKeepsEveryPageOutOfTheSettings) {
    for (bool inFieldCheck : {true, false}) {
        Settings live;
        OptionsSession session(live, 2);
        FakePages pages;
        (inFieldCheck ? pages.refuseFields : pages.refuseCommit) = Id::kFreedb;
        EXPECT_EQ(pages.Run(session), Id::kFreedb);
        if (inFieldCheck) {
            EXPECT_TRUE(pages.committed.empty());
        } else {
            EXPECT_EQ(pages.committed, (std::vector<Id>{Id::kOutput, Id::kMp3, Id::kFreedb}));
        }
        // Output and MP3 committed into the copy, which a refusal throws away.
        EXPECT_EQ(live.CDROMDriver, 0);
        EXPECT_EQ(live.TextColor, Settings().TextColor);
        EXPECT_FALSE(session.outcome().accepted);
    }
}

TEST(OptionsSession, AdvancedBitsAreStoredAtOnceAndSurviveTheCommit) {
    Settings live;
    OptionsSession session(live, 0);
    session.StoreAdvancedBits(0, 1, 0);
    EXPECT_EQ(live.Copyright, 0);
    EXPECT_EQ(live.Private, 0);
    FakePages pages;
    pages.Run(session);
    EXPECT_EQ(live.Copyright, 0);
    EXPECT_EQ(live.Original, 1);
}

}  // namespace
}  // namespace korvida::gui
