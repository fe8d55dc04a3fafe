#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/jobs/Event.h"
#include "core/musicbrainz/ApplyMusicBrainzRelease.h"
#include "core/musicbrainz/LookUpMusicBrainz.h"
#include "core/musicbrainz/MusicBrainzDiscId.h"
#include "core/musicbrainz/MusicBrainzReply.h"
#include "core/settings/Settings.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

// The expected ids are libdiscid's (python3-libdiscid) for the same offsets.
TEST(MusicBrainzDiscId, MatchesLibdiscidForThePublishedExampleAndAnEnhancedCd) {
    // The six-track example of MusicBrainz's own disc id documentation.
    const auto example =
        ComputeMusicBrainzDiscId(test::LbaToc({0, 15213, 32164, 46442, 63264, 80339}, 95312));
    ASSERT_TRUE(example.ok);
    EXPECT_EQ(example.id, "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    EXPECT_EQ(example.toc, "1 6 95462 150 15363 32314 46592 63414 80489");
    EXPECT_EQ(example.submissionUrl.rfind("https://musicbrainz.org/", 0), 0u)
        << example.submissionUrl;
    EXPECT_NE(example.submissionUrl.find("id=49HHV7Eb8UKF3aQiNmu1GR8vKTY-"), std::string::npos)
        << example.submissionUrl;

    // Three audio tracks, then the data session: the audio ends 11,400 sectors before it.
    const auto enhanced = ComputeMusicBrainzDiscId(
        test::LbaToc({0, 20000, 40000, 71400}, 90000, {false, false, false, true}));
    ASSERT_TRUE(enhanced.ok);
    EXPECT_EQ(enhanced.id, "iAoQXo7zSQkzWa96adYtN3NEQPk-");
    EXPECT_EQ(enhanced.toc, "1 3 60150 150 20150 40150");
    EXPECT_EQ(enhanced.lastTrack, 3);

    EXPECT_FALSE(ComputeMusicBrainzDiscId(test::LbaToc({0}, 90000, {true})).ok);
    EXPECT_FALSE(ComputeMusicBrainzDiscId(std::array<std::uint8_t, kTocResponseSize>{}).ok);
}

using Json = nlohmann::json;

// A medium of a reply by TOC: tracks named `prefix` 1, 2, … with these lengths (ms; -1
// gives the length as null, as the service does for a track nobody measured).
Json Medium(int position, const std::string& prefix, std::vector<int> lengths) {
    Json tracks = Json::array();
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        tracks.push_back({{"position", i + 1},
                          {"title", prefix + std::to_string(i + 1)},
                          {"length", lengths[i] < 0 ? Json() : Json(lengths[i])}});
    }
    return {{"position", position},
            {"format", "CD"},
            {"track-count", lengths.size()},
            {"discs", Json::array()},
            {"tracks", tracks}};
}

std::vector<MusicBrainzRelease> Parse(Json media, std::span<const int> sectors,
                                      const std::string& discId = "unknown") {
    const Json reply = {
        {"releases",
         Json::array({{{"id", "mbid"}, {"title", "Box"}, {"media", std::move(media)}}})}};
    MusicBrainzReply parsed = ParseMusicBrainzReply(reply.dump(), discId, sectors);
    EXPECT_TRUE(parsed.ok);
    return std::move(parsed.releases);
}

// Three tracks of 21, 17 and 27 seconds.
constexpr int kSectors[] = {1575, 1275, 2025};

// A lookup by TOC names the release, not the disc: the discs of a set with equal track
// counts differ in their lengths.
TEST(MusicBrainzReply, ChoosesTheDiscOfASetWhoseTrackLengthsFit) {
    auto found = Parse(Json::array({Medium(1, "A", {30000, 30000, 30000}),
                                    Medium(2, "B", {23500, 15000, 27000}),  // 2.5 and 2 s off
                                    Medium(3, "C", {21000, 17000, 31000})}),
                       kSectors);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].medium, 1);
    EXPECT_EQ(found[0].MediumText(), "2/3");
    EXPECT_TRUE(found[0].note.empty()) << found[0].note;

    // Of two that fit, the closer; a disc id beats any length.
    found = Parse(
        Json::array({Medium(1, "A", {22000, 18000, 28000}), Medium(2, "B", {21000, 17000, -1})}),
        kSectors);
    EXPECT_EQ(found.at(0).medium, 1);
    Json byId = Json::array({Medium(1, "A", {21000, 17000, 27000}), Medium(2, "B", {1, 1, 1})});
    byId[1]["discs"] = Json::array({{{"id", "the-disc"}}});
    EXPECT_EQ(Parse(byId, kSectors, "the-disc").at(0).medium, 1);

    // None fits: the release is listed, not applied, and says why.
    const std::pair<Json, const char*> unfit[] = {
        {Json::array(
             {Medium(1, "A", {30000, 30000, 30000}), Medium(2, "B", {21000, 17000, 31000})}),
         "长度不符"},
        {Json::array({Medium(1, "A", {-1, -1, -1}), Medium(2, "B", {-1, -1, -1})}), "无法分辨"},
        {Json::array({Medium(1, "A", {21000, 17000})}), "没有 3 首曲目的碟片"}};
    for (const auto& [media, reason] : unfit) {
        found = Parse(media, kSectors);
        ASSERT_EQ(found.size(), 1u) << media;
        EXPECT_EQ(found[0].medium, -1) << media;
        EXPECT_EQ(found[0].MediumText(), "") << media;
        EXPECT_NE(found[0].note.find(reason), std::string::npos) << found[0].note;
        DiscInfo disc;
        disc.trackCount = 3;
        disc.tracks[0].Title = "typed";
        EXPECT_FALSE(ApplyMusicBrainzRelease(found[0], disc));
        EXPECT_EQ(disc.tracks[0].Title, "typed");
    }
}

// A real reply (MusicBrainz via Picard's test data): a box set whose media come with
// track-count and disc ids but no tracks.
TEST(MusicBrainzReply, ReadsARealBoxSetWhoseMediaComeWithoutTracks) {
    const Json release =
        Json::parse(test::ReadFile(KORVIDA_TEST_DATA_DIR "/musicbrainz/release_5medias.json"));
    const std::string reply = Json{{"releases", Json::array({release})}}.dump();
    // The second CD's TOC as the service stores it (offsets with the 150-sector pre-gap).
    const std::vector<std::uint32_t> offsets = {150, 91851, 148493, 230435, 240674, 273050};
    std::vector<std::uint32_t> starts;
    for (const std::uint32_t offset : offsets)
        starts.push_back(offset - 150);
    const auto disc = ComputeMusicBrainzDiscId(test::LbaToc(starts, 301068 - 150));
    ASSERT_TRUE(disc.ok);
    EXPECT_EQ(disc.id, "6NksHllhjO74WpVDabBDhj3P0qk-");  // the id the reply attaches to it
    EXPECT_EQ(disc.trackSectors, (std::vector<int>{91701, 56642, 81942, 10239, 32376, 28018}));

    // By its id, and by its TOC alone (the only six-track medium, its lengths not given).
    for (const std::string& id : {disc.id, std::string("unknown-id")}) {
        const MusicBrainzReply parsed = ParseMusicBrainzReply(reply, id, disc.trackSectors);
        ASSERT_TRUE(parsed.ok);
        ASSERT_EQ(parsed.releases.size(), 1u) << "listed although it has no tracks";
        const MusicBrainzRelease& found = parsed.releases[0];
        EXPECT_EQ(found.Summary(), "Pink Floyd, Wish You Were Here, 2011-07-11, XE, medium 2/5");
        EXPECT_EQ(found.media.at(1).trackCount, 6);
        EXPECT_NE(found.note.find("没有这张碟片的曲目"), std::string::npos) << found.note;

        // Picked, it names the album and leaves the track titles as they were.
        DiscInfo names;
        names.trackCount = 6;
        names.tracks[0].Title = "typed";
        ASSERT_TRUE(ApplyMusicBrainzRelease(found, names));
        EXPECT_EQ(names.album.Title, "Wish You Were Here");
        EXPECT_EQ(names.album.Artist, "Pink Floyd");
        EXPECT_EQ(names.tracks[0].Title, "typed");
        EXPECT_EQ(names.tracks[0].Album, "Wish You Were Here");
        EXPECT_EQ(names.tracks[5].Year, "2011");
    }
}

TEST(MusicBrainzReply, GenresOfTheReleaseGroupAndTheRecordingsCountMostVotedFirst) {
    const auto genreOf = [](Json release) {
        release["id"] = "mbid";
        release["title"] = "T";
        if (!release.contains("media"))
            release["media"] = Json::array({Medium(1, "A", {21000, 17000, 27000})});
        const Json reply = {{"releases", Json::array({release})}};
        return ParseMusicBrainzReply(reply.dump(), "x", kSectors).releases.at(0).genre;
    };
    const auto genres = [](std::vector<std::pair<std::string, int>> list) {
        Json array = Json::array();
        for (const auto& [name, count] : list)
            array.push_back({{"name", name}, {"count", count}});
        return array;
    };
    EXPECT_EQ(genreOf({{"release-group", {{"genres", genres({{"rock", 2}, {"art rock", 5}})}}}}),
              "art rock");
    // The release's and its group's votes are added up.
    EXPECT_EQ(genreOf({{"genres", genres({{"pop", 2}, {"rock", 1}})},
                       {"release-group", {{"genres", genres({{"rock", 3}, {"pop", 1}})}}}}),
              "rock");
    // Neither has one: the recordings of the disc's medium.
    Json media = Json::array({Medium(1, "A", {21000, 17000, 27000})});
    const std::pair<std::string, int> onRecordings[][2] = {
        {{"jazz", 1}, {"blues", 1}}, {{"jazz", 2}, {"soul", 1}}, {{"blues", 1}, {"soul", 0}}};
    for (int i = 0; i < 3; ++i) {
        media[0]["tracks"][i]["recording"] = {
            {"genres", genres({onRecordings[i][0], onRecordings[i][1]})}};
    }
    EXPECT_EQ(genreOf({{"media", media}}), "jazz");
    EXPECT_EQ(genreOf(Json::object()), "");
}

// Names come from the network: a NUL in a title would cut the file name made of it.
TEST(MusicBrainzReply, ControlCharactersBecomeSpacesAndAReleaseWithoutNamesIsNoMatch) {
    const std::string reply = R"({"releases":[
        {"id":"m1","title":"Al\u0000bum\u0085","artist-credit":[{"name":"A\tB","joinphrase":" & "},
            {"name":"C\n"}],
         "media":[{"position":1,"tracks":[{"title":"Song\u0000One","length":21000},
            {"title":"\u0000\u001f","recording":{"title":"Rec\u007fTwo"}},{"title":null}]}]},
        {"id":"m2","title":7,"media":[{"tracks":[{"title":null},{},{"title":""}]}]},
        {"id":"m3","title":"\u0000","media":[{"tracks":[{"title":"\u0000"},{},{}]}]}]})";
    const MusicBrainzReply parsed = ParseMusicBrainzReply(reply, "x", kSectors);
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.releases.size(), 1u) << "releases with no name are no match";
    const MusicBrainzRelease& found = parsed.releases[0];
    EXPECT_EQ(found.title, "Al bum");
    EXPECT_EQ(found.artist, "A B & C");
    ASSERT_EQ(found.media.at(0).tracks.size(), 3u);
    EXPECT_EQ(found.media[0].tracks[0].title, "Song One");
    EXPECT_EQ(found.media[0].tracks[1].title, "Rec Two");
    EXPECT_EQ(found.media[0].tracks[2].title, "");

    // A name the release lacks keeps the one the disc has; none at all applies nothing.
    DiscInfo disc;
    disc.trackCount = 3;
    disc.tracks[2].Title = "typed";
    ASSERT_TRUE(ApplyMusicBrainzRelease(found, disc));
    EXPECT_EQ(disc.tracks[0].Title, "Song One");
    EXPECT_EQ(disc.tracks[2].Title, "typed");
    MusicBrainzRelease nameless = found;
    nameless.title.clear();
    nameless.artist.clear();
    for (MusicBrainzTrack& track : nameless.media[0].tracks) {
        track.title.clear();
        track.artist.clear();
    }
    disc.album.Title = "typed album";
    EXPECT_FALSE(ApplyMusicBrainzRelease(nameless, disc));
    EXPECT_EQ(disc.album.Title, "typed album");
    EXPECT_EQ(disc.tracks[0].Title, "Song One");
}

TEST(LookUpMusicBrainz, ASilentServerEndsInTheDeadlineOrTheCancel) {
    test::HttpTestServer server;
    test::HttpTestServer::Route silent;
    silent.mode = test::HttpTestServer::Mode::kNeverAnswer;
    server.SetRoute("/", silent);
    Settings settings;
    settings.MusicBrainzServer = server.BaseUrl() + "/";
    const auto toc = test::LbaToc({0, 15213}, 30000);

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
