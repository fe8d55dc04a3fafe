#include <gtest/gtest.h>

#include "core/freedb/FreedbSession.h"
#include "support/TempHome.h"
#include "support/freedb/FreedbTestServer.h"

namespace korvida {
namespace {

using test::FreedbTestServer;

// MSF READ TOC response for the given frame addresses, lead-out last.
std::array<std::uint8_t, kTocResponseSize> MsfToc(const std::vector<int>& addresses) {
    std::array<std::uint8_t, kTocResponseSize> toc{};
    toc[2] = 1;
    toc[3] = static_cast<std::uint8_t>(addresses.size() - 1);
    for (std::size_t k = 0; k < addresses.size(); ++k) {
        toc[4 + 8 * k + 5] = static_cast<std::uint8_t>(addresses[k] / 4500);
        toc[4 + 8 * k + 6] = static_cast<std::uint8_t>(addresses[k] / 75 % 60);
        toc[4 + 8 * k + 7] = static_cast<std::uint8_t>(addresses[k] % 75);
    }
    return toc;
}

FreedbServerSettings Settings(const FreedbTestServer& server) {
    FreedbServerSettings s;
    s.Server = server.address();
    s.QueryScript = FreedbTestServer::kQueryScript;
    s.SubmitScript = FreedbTestServer::kSubmitScript;
    s.Email = "me@example.net";
    return s;
}

DiscInfo Disc(int tracks) {
    DiscInfo disc;
    disc.trackCount = tracks;
    disc.album.Title = "所有音轨";
    for (int i = 0; i < tracks; ++i)
        disc.tracks[i].Title = "音轨 " + std::to_string(i + 1);
    return disc;
}

TEST(LookUpDisc, SingleMatchIsReadAndApplied) {
    FreedbTestServer server;
    DiscInfo disc = Disc(3);
    const FreedbLookup lookup =
        LookUpDisc(Settings(server), MsfToc({150, 14250, 31530, 45000}), 0, disc);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kDone) << lookup.outcome.text;
    EXPECT_EQ(lookup.discId, 0x12025603u);
    EXPECT_EQ(lookup.matches.size(), 1u);
    EXPECT_EQ(disc.album.Artist, "测试歌手");
    EXPECT_EQ(disc.album.Title, "月光专辑");
    EXPECT_EQ(disc.tracks[1].Title, "Part oneand two");
    EXPECT_EQ(disc.Revision, 5);
    EXPECT_EQ(disc.bRevision, 1);
    EXPECT_EQ(server.Requests().size(), 2u);  // query, then read
}

// An entry of another id with nearly the same offsets comes back as an inexact match;
// being the only one, it is read at once under its own id.
TEST(LookUpDisc, SingleInexactMatchIsReadAtOnce) {
    FreedbTestServer server;
    DiscInfo disc = Disc(3);
    const FreedbLookup lookup =
        LookUpDisc(Settings(server), MsfToc({150, 14250, 31530, 45075}), 0, disc);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kDone) << lookup.outcome.text;
    EXPECT_NE(lookup.discId, 0x12025603u);
    ASSERT_EQ(lookup.matches.size(), 1u);
    EXPECT_EQ(lookup.matches[0].discId, "12025603");
    EXPECT_EQ(disc.tracks[2].Title, "晚风 (现场)");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(server.Requests()[0].find("\r\n\r\ncmd=cddb+query+"), std::string::npos);
    EXPECT_NE(server.Requests()[1].find("cmd=cddb+read+rock+12025603&"), std::string::npos);
}

// The disc in three categories: a 210 list at our protocol level; the pick (--pick N
// of the command line) chooses the entry that is read.
TEST(LookUpDisc, PickChoosesAmongSeveralMatches) {
    FreedbTestServer server;
    DiscInfo disc = Disc(4);
    const auto toc = MsfToc({150, 20150, 40150, 60150, 80150});
    FreedbLookup lookup = LookUpDisc(Settings(server), toc, 2, disc);
    ASSERT_EQ(lookup.matches.size(), 3u);
    EXPECT_EQ(lookup.picked, 1);
    EXPECT_EQ(disc.album.GenreName, "jazz");
    EXPECT_EQ(disc.tracks[3].Title, "第四夜");
    EXPECT_EQ(disc.bRevision, 0);

    // A pick past the list reads nothing, rather than the first match in its place.
    lookup = LookUpDisc(Settings(server), toc, 4, disc);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kBadPick);
    EXPECT_EQ(lookup.matches.size(), 3u);
    EXPECT_EQ(disc.album.GenreName, "jazz");
    EXPECT_EQ(server.Requests().size(), 3u);  // two queries, one read
}

TEST(LookUpDisc, UnknownDiscAndBrokenServerReachTheRightPage) {
    FreedbTestServer server;
    DiscInfo disc = Disc(1);
    FreedbLookup lookup = LookUpDisc(Settings(server), MsfToc({150, 9000}), 0, disc);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kNoMatch);
    EXPECT_EQ(lookup.outcome.text, "抱歉！未发现相匹配的唱片！");
    EXPECT_EQ(disc.tracks[0].Title, "音轨 1");

    // A server that refuses shows its own words, never the no-match page.
    server.SetCannedReply("HTTP/1.0 500 Internal Server Error\r\n\r\n");
    lookup = LookUpDisc(Settings(server), MsfToc({150, 9000}), 0, disc);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kFailed);
    EXPECT_EQ(lookup.outcome.text, "HTTP/1.0 500 Internal Server Error");
    server.SetCannedReply(
        "HTTP/1.0 200 OK\r\n\r\n500 Unknown application, developer email for Korvida 3.0\r\n");
    lookup = LookUpDisc(Settings(server), MsfToc({150, 14250, 31530, 45000}), 0, disc);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kFailed);
    EXPECT_EQ(lookup.outcome.text, "500 Unknown application, developer email for Korvida 3.0");
    EXPECT_EQ(disc.tracks[0].Title, "音轨 1");

    auto cancel = std::make_shared<Event>(true, true);
    lookup = LookUpDisc(Settings(server), MsfToc({150, 9000}), 0, disc, cancel);
    EXPECT_EQ(lookup.outcome.kind, FreedbOutcome::Kind::kCancelled);
}

TEST(SubmitDiscAndWait, AcceptedSubmissionWritesBack) {
    test::TempHome home;
    FreedbTestServer server;
    DiscInfo disc = Disc(3);
    SubmitForm form = SubmitFormFromDisc(disc);
    form.artist = "歌手";
    form.album = "专辑";
    form.category = "misc";
    form.titles = {"一", "二", "三"};
    FreedbOutcome outcome =
        SubmitDiscAndWait(form, MsfToc({150, 14250, 31530, 45000}), Settings(server), disc);
    EXPECT_EQ(outcome.kind, FreedbOutcome::Kind::kDone) << outcome.text;
    EXPECT_EQ(outcome.text, "200 OK, submission has been sent.");
    EXPECT_EQ(disc.album.Artist, "歌手");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\nDTITLE=歌手 / 专辑\r\nTTITLE0=一\r\n"),
              std::string::npos);

    form.titles[1] = "音轨 2";
    outcome = SubmitDiscAndWait(form, MsfToc({150, 14250, 31530, 45000}), Settings(server), disc);
    EXPECT_EQ(outcome.kind, FreedbOutcome::Kind::kFailed);
    EXPECT_EQ(outcome.text, "缺少音轨 #02 的标题。");
    EXPECT_EQ(server.Requests().size(), 1u);  // nothing sent
}

}  // namespace
}  // namespace korvida
