#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "core/jobs/Event.h"
#include "core/musicbrainz/LookUpMusicBrainz.h"
#include "core/musicbrainz/MusicBrainzDiscId.h"
#include "core/settings/Settings.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

struct TocTrack {
    std::uint32_t lba;
    bool data = false;
};

// A READ TOC format-0 reply with LBA addresses, as DiscInfo keeps it.
std::array<std::uint8_t, kTocResponseSize> LbaToc(const std::vector<TocTrack>& tracks,
                                                  std::uint32_t leadout) {
    std::array<std::uint8_t, kTocResponseSize> toc{};
    const std::size_t length = 2 + 8 * (tracks.size() + 1);
    toc[0] = static_cast<std::uint8_t>(length >> 8);
    toc[1] = static_cast<std::uint8_t>(length);
    toc[2] = 1;
    toc[3] = static_cast<std::uint8_t>(tracks.size());
    for (std::size_t i = 0; i <= tracks.size(); ++i) {
        std::uint8_t* d = &toc[4 + 8 * i];
        const bool isLeadout = i == tracks.size();
        const std::uint32_t lba = isLeadout ? leadout : tracks[i].lba;
        d[1] = static_cast<std::uint8_t>(0x10 | (!isLeadout && tracks[i].data ? 0x04 : 0x00));
        d[2] = isLeadout ? 0xAA : static_cast<std::uint8_t>(i + 1);
        d[4] = static_cast<std::uint8_t>(lba >> 24);
        d[5] = static_cast<std::uint8_t>(lba >> 16);
        d[6] = static_cast<std::uint8_t>(lba >> 8);
        d[7] = static_cast<std::uint8_t>(lba);
    }
    return toc;
}

// The expected ids are libdiscid's (python3-libdiscid) for the same offsets.
TEST(MusicBrainzDiscId, MatchesLibdiscidForThePublishedExampleAndAnEnhancedCd) {
    // The six-track example of MusicBrainz's own disc id documentation.
    const auto example =
        ComputeMusicBrainzDiscId(LbaToc({{0}, {15213}, {32164}, {46442}, {63264}, {80339}}, 95312));
    ASSERT_TRUE(example.ok);
    EXPECT_EQ(example.id, "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    EXPECT_EQ(example.toc, "1 6 95462 150 15363 32314 46592 63414 80489");
    EXPECT_NE(example.submissionUrl.find("id=49HHV7Eb8UKF3aQiNmu1GR8vKTY-"), std::string::npos)
        << example.submissionUrl;

    // Three audio tracks, then the data session: the audio ends 11,400 sectors before it.
    const auto enhanced =
        ComputeMusicBrainzDiscId(LbaToc({{0}, {20000}, {40000}, {71400, true}}, 90000));
    ASSERT_TRUE(enhanced.ok);
    EXPECT_EQ(enhanced.id, "iAoQXo7zSQkzWa96adYtN3NEQPk-");
    EXPECT_EQ(enhanced.toc, "1 3 60150 150 20150 40150");
    EXPECT_EQ(enhanced.lastTrack, 3);

    EXPECT_FALSE(ComputeMusicBrainzDiscId(LbaToc({{0, true}}, 90000)).ok);
    EXPECT_FALSE(ComputeMusicBrainzDiscId(std::array<std::uint8_t, kTocResponseSize>{}).ok);
}

TEST(LookUpMusicBrainz, ASilentServerEndsInTheDeadlineOrTheCancel) {
    test::HttpTestServer server;
    test::HttpTestServer::Route silent;
    silent.mode = test::HttpTestServer::Mode::kNeverAnswer;
    server.SetRoute("/", silent);
    Settings settings;
    settings.MusicBrainzServer = server.BaseUrl() + "/";
    const auto toc = LbaToc({{0}, {15213}}, 30000);

    auto lookup = LookUpMusicBrainz(toc, settings, nullptr, 300);
    EXPECT_EQ(lookup.outcome, MusicBrainzLookup::Outcome::kFailed);
    EXPECT_NE(lookup.errorText.find("超时"), std::string::npos) << lookup.errorText;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.Requests()[0].target.starts_with("/ws/2/discid/" + lookup.disc.id + "?"))
        << server.Requests()[0].target;

    Event cancel(false);
    std::thread canceller([&] {
        server.WaitForRequests(2, 10000);
        cancel.Set();
    });
    const auto start = std::chrono::steady_clock::now();
    lookup = LookUpMusicBrainz(toc, settings, &cancel, 60000);
    canceller.join();
    EXPECT_EQ(lookup.outcome, MusicBrainzLookup::Outcome::kCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace korvida
