#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>
#include <vector>

#include "support/AudioTestSupport.h"
#include "support/RunCli.h"
#include "support/SharedDemoDisc.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

using Json = nlohmann::json;
using test::HttpTestServer;

// The demo disc (three tracks at LBA 0, 1575, 2850, lead-out 4875), as libdiscid
// computes it.
constexpr char kDemoId[] = "43j8avkn7FpNBtKPKEopUS_9bB8-";
const std::string kById = std::string("/ws/2/discid/") + kDemoId + "?inc=";
const std::string kByToc = std::string("/ws/2/discid/") + kDemoId + "?toc=1+3+5025+150+1725+3000&";

Json Credit(const std::string& name) {
    return Json::array({{{"name", name}, {"joinphrase", ""}, {"artist", {{"name", name}}}}});
}

// A medium as the web service sends it: tracks with their own credits when given, and the
// demo disc's track lengths (21, 17 and 27 s) unless `lengths` says otherwise.
Json Medium(int position, std::vector<std::string> titles, std::vector<std::string> discIds = {},
            std::vector<std::string> artists = {},
            std::vector<int> lengths = {21000, 17000, 27000}) {
    Json tracks = Json::array();
    for (std::size_t i = 0; i < titles.size(); ++i) {
        Json track = {{"position", i + 1},
                      {"number", std::to_string(i + 1)},
                      {"title", titles[i]},
                      {"length", i < lengths.size() ? lengths[i] : 20000},
                      {"recording", {{"title", titles[i]}}}};
        if (i < artists.size())
            track["artist-credit"] = Credit(artists[i]);
        tracks.push_back(track);
    }
    Json discs = Json::array();
    for (const std::string& id : discIds)
        discs.push_back({{"id", id}, {"sectors", 5025}});
    return {{"position", position},
            {"format", "CD"},
            {"track-count", titles.size()},
            {"discs", discs},
            {"tracks", tracks}};
}

Json Release(const std::string& mbid, const std::string& title, const std::string& artist,
             const std::string& date, const std::string& country, Json media) {
    return {{"id", mbid},
            {"title", title},
            {"date", date},
            {"country", country},
            {"artist-credit", Credit(artist)},
            {"media", media},
            {"genres", Json::array({{{"name", "pop"}, {"count", 3}}})}};
}

std::string DiscReply(Json releases) {
    return Json{{"id", kDemoId}, {"sectors", 5025}, {"offset-count", 3}, {"releases", releases}}
        .dump();
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class MusicBrainzCommand : public testing::Test {
  protected:
    // A match fetches its cover: from this server, never from the real archive.
    void SetUp() override {
        ASSERT_EQ(
            test::RunCli({"settings", "--set", "MusicBrainz.CoverArtServer=" + server.BaseUrl()})
                .status,
            0);
    }
    test::CliResult Run(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--image", cue, "musicbrainz", "--server",
                                         server.BaseUrl()};
        args.insert(args.end(), extra.begin(), extra.end());
        return test::RunCli(args);
    }
    std::string Db() const { return test::ReadFile(home / "db/14004103.db"); }

    test::TempHome home;
    std::string cue = test::SharedDemoDisc();
    HttpTestServer server;
};

TEST_F(MusicBrainzCommand, AppliesTheOnlyReleaseKeepingEachTracksArtistAndStoresIt) {
    server.Answer(kById, 200,
                  DiscReply(Json::array(
                      {Release("mbid-va", "演示合辑", "Various Artists", "2026-03-01", "CN",
                               Json::array({Medium(1, {"First", "第二首", "Third"}, {kDemoId},
                                                   {"Artist A", "歌手乙", "Artist C"})}))})));

    const auto r = Run();

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "1\tVarious Artists, 演示合辑, 2026-03-01, CN\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "Various Artists / 演示合辑\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "02\t第二首\n")) << r.out;
    const std::string db = Db();
    EXPECT_TRUE(Has(db, "02=第二首")) << db;
    EXPECT_TRUE(Has(db, "02=歌手乙")) << db;  // the track's own artist, not the album's
    EXPECT_TRUE(Has(db, "03=Artist C")) << db;
    EXPECT_TRUE(Has(db, "=2026\n") || Has(db, "=2026\r\n")) << db;
    EXPECT_TRUE(Has(db, "=pop")) << db;

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target,
              kById + "artist-credits+recordings+release-groups+genres&cdstubs=no&fmt=json");
    EXPECT_TRUE(requests[0].Header("User-Agent").starts_with("Korvida/"))
        << requests[0].Header("User-Agent");
    EXPECT_TRUE(Has(requests[0].Header("User-Agent"), "( ")) << "a contact";

    // The next load finds the titles offline, and toc names the disc id.
    const auto toc = test::RunCli({"--image", cue, "toc"});
    EXPECT_TRUE(Has(toc.out, "03\tThird\t")) << toc.out;
    EXPECT_TRUE(Has(toc.out, std::string("\nmusicbrainz id: ") + kDemoId + "\n")) << toc.out;
}

// Three releases; the second has two discs and this disc is its second medium.
TEST_F(MusicBrainzCommand, ListsEveryReleaseAndAppliesThePickedOnesMedium) {
    const Json releases = Json::array(
        {Release("mbid-1", "Album", "Band", "1999", "GB",
                 Json::array({Medium(1, {"a", "b", "c"}, {kDemoId})})),
         Release("mbid-2", "Album (Deluxe)", "Band", "2001-05-02", "DE",
                 Json::array({Medium(1, {"x1", "x2", "x3"}, {"otherdiscid-otherdiscid-000"}),
                              Medium(2, {"Bonus 1", "Bonus 2", "Bonus 3"}, {kDemoId})})),
         Release("mbid-3", "Album", "Band", "", "",
                 Json::array({Medium(1, {"p", "q", "r"}, {kDemoId})}))});
    server.Answer(kById, 200, DiscReply(releases));

    auto r = Run({"--pick", "2"});

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out,
                    "1\tBand, Album, 1999, GB\n"
                    "2\tBand, Album (Deluxe), 2001-05-02, DE, medium 2/2\n"
                    "3\tBand, Album\n"))
        << r.out;
    EXPECT_TRUE(Has(r.out, "Band / Album (Deluxe)\n01\tBonus 1\n02\tBonus 2\n03\tBonus 3\n"))
        << r.out;
    EXPECT_TRUE(Has(Db(), "01=Bonus 1")) << Db();

    r = Run({"--pick", "4"});
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(Has(r.err, "--pick 4")) << r.err;
    EXPECT_TRUE(Has(Db(), "01=Bonus 1")) << "nothing applied";
}

// A set's disc: its place goes into the entry, the tags (ID3 TPOS, the Vorbis comments
// of FLAC) and the <disc> field of names; a release of one disc takes it away again.
TEST_F(MusicBrainzCommand, ASetsDiscKeepsItsPlaceInTheEntryTheTagsAndTheNames) {
    server.Answer(kById, 200,
                  DiscReply(Json::array({Release(
                      "mbid-set", "Set", "Band", "2001", "DE",
                      Json::array({Medium(1, {"x1", "x2", "x3"}, {"otherdiscid-otherdiscid-000"}),
                                   Medium(2, {"y1", "y2", "y3"}, {kDemoId}),
                                   Medium(3, {"z1", "z2", "z3"})}))})));
    ASSERT_EQ(Run().status, 0);
    EXPECT_TRUE(Has(Db(), "DiscNumber=2")) << Db();
    EXPECT_TRUE(Has(Db(), "DiscCount=3")) << Db();

    const auto mp3 = test::RunCli({"--quiet", "--image", cue, "rip", "--tracks", "1", "--output",
                                   home / "out", "--rule", "<album>/<disc>/<number>-<title>"});
    ASSERT_EQ(mp3.status, 0) << mp3.err;
    EXPECT_EQ(mp3.out, home / "out/Set/2/01-y1.MP3\n");
    EXPECT_EQ(
        test::RunCommand("/usr/bin/python3 -c \"import sys; from mutagen.id3 import ID3; "
                         "print(ID3(sys.argv[1], translate=False, load_v1=False)['TPOS'])\" '" +
                         home / "out/Set/2/01-y1.MP3" + "'"),
        "2/3\n");
    const auto flac = test::RunCli({"--quiet", "--image", cue, "rip", "--tracks", "1", "--format",
                                    "flac", "--output", home / "flac"});
    ASSERT_EQ(flac.status, 0) << flac.err;
    EXPECT_EQ(test::RunCommand("metaflac --show-tag=DISCNUMBER --show-tag=DISCTOTAL '" +
                               home / "flac/01-y1.flac" + "'"),
              "DISCNUMBER=2\nDISCTOTAL=3\n");

    // Picked again as a release of one disc: the keys go, <disc> names no folder.
    server.Answer(
        kById, 200,
        DiscReply(Json::array({Release("mbid-1", "One", "Band", "1999", "GB",
                                       Json::array({Medium(1, {"a", "b", "c"}, {kDemoId})}))})));
    ASSERT_EQ(Run().status, 0);
    EXPECT_FALSE(Has(Db(), "DiscNumber")) << Db();
    const auto single = test::RunCli({"--quiet", "--image", cue, "rip", "--tracks", "1", "--output",
                                      home / "out", "--rule", "<album>/<disc>/<number>-<title>"});
    EXPECT_EQ(single.out, home / "out/One/01-a.MP3\n");
}

// The id is unknown (404); the lookup by TOC finds a release whose second medium has
// this disc's track count.
TEST_F(MusicBrainzCommand, FallsBackToTheTocLookupAndThenOffersTheSubmission) {
    server.Answer(
        kByToc, 200,
        Json{{"release-count", 1},
             {"releases", Json::array({Release(
                              "mbid-f", "Fuzzy", "Someone", "2010", "JP",
                              Json::array({Medium(1, {"only"}), Medium(2, {"f1", "f2", "f3"})}))})}}
            .dump());

    auto r = Run();

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "1\tSomeone, Fuzzy, 2010, JP, medium 2/2\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "02\tf2\n")) << r.out;
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].target.starts_with(kById)) << requests[0].target;
    EXPECT_TRUE(requests[1].target.starts_with(kByToc)) << requests[1].target;

    // Nothing by either way: the user is told where to add the disc.
    server.Answer(kByToc, 200, R"({"release-count":0,"releases":[]})");
    r = Run();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.out, "musicbrainz.org/cdtoc/attach?id=" + std::string(kDemoId))) << r.out;
    EXPECT_FALSE(r.err.empty());
    EXPECT_TRUE(Has(Db(), "02=f2")) << "the earlier match stays";
}

// Disc 2 of a set whose three discs have three tracks each: only its lengths tell it.
TEST_F(MusicBrainzCommand, TheTocLookupAppliesTheDiscWhoseLengthsFitOrNothing) {
    const auto reply = [](std::vector<int> second) {
        return Json{
            {"releases",
             Json::array({Release(
                 "mbid-set", "Set", "Band", "2004", "GB",
                 Json::array({Medium(1, {"a1", "a2", "a3"}, {}, {}, {200000, 180000, 240000}),
                              Medium(2, {"b1", "b2", "b3"}, {}, {}, second),
                              Medium(3, {"c1", "c2", "c3"}, {}, {}, {1000, 2000, 3000})}))})}}
            .dump();
    };
    server.Answer(kByToc, 200, reply({22000, 15000, 29500}));
    auto r = Run();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "1\tBand, Set, 2004, GB, medium 2/3\n")) << r.out;
    EXPECT_TRUE(Has(Db(), "01=b1")) << Db();

    // A second more on one track and no disc fits: listed with the reason, not applied.
    server.Answer(kByToc, 200, reply({22000, 15000, 30500}));
    r = Run();
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(
        Has(r.out, "1\tBand, Set, 2004, GB\t这个版本中 3 首曲目的碟片与这张 CD 的曲目长度不符"))
        << r.out;
    EXPECT_TRUE(Has(r.err, "没有套用")) << r.err;
    EXPECT_TRUE(Has(Db(), "01=b1")) << "nothing applied";
}

// Names typed by the user stay where the release has none; names from the server never
// carry control characters into the database.
TEST_F(MusicBrainzCommand, TypedTitlesSurviveAReleaseWithoutNames) {
    ASSERT_EQ(
        test::RunCli({"--image", cue, "info", "--track", "3", "--set", "Title=手写的"}).status, 0);
    const std::string nameless =
        R"({"releases":[{"id":"m","title":null,"media":[{"position":1,"tracks":[)"
        R"({"title":null,"length":21000},{"length":17000},{"title":7,"length":27000}]}]}]})";
    server.Answer(kById, 200, nameless);
    server.Answer(kByToc, 200, nameless);
    auto r = Run();
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(Has(Db(), "03=手写的")) << Db();

    server.Answer(kById, 200,
                  R"({"releases":[{"id":"m","title":"Al\u0000bum","media":[{"position":1,)"
                  R"("tracks":[{"title":"Song\u0000One","length":21000},{"title":"Song\u0000Two",)"
                  R"("length":17000},{"title":null,"length":27000}]}]}]})");
    r = Run();
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string db = Db();
    EXPECT_TRUE(Has(db, "01=Song One")) << db;
    EXPECT_TRUE(Has(db, "02=Song Two")) << db;
    EXPECT_TRUE(Has(db, "03=手写的")) << db;
    EXPECT_EQ(db.find('\0'), std::string::npos);
}

TEST_F(MusicBrainzCommand, ABusyServerOrAGarbledReplyEndsWithAMessage) {
    server.Answer(kById, 503, "<html>slow down</html>", "text/html");
    auto r = Run();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "503")) << r.err;
    EXPECT_EQ(server.Requests().size(), 1u) << "no lookup by TOC after a refusal";

    // Broken JSON is an error; well-formed JSON of the wrong shape holds no release.
    const std::pair<const char*, const char*> replies[] = {
        {"{\"releases\": [", "无法识别"},
        {"[1,2,3]", "无法识别"},
        {R"({"releases":[{"id":7,"media":"x"},{"id":"m","media":[{"tracks":[{"title":null}]}]}]})",
         "没有这张唱片"}};
    for (const auto& [reply, message] : replies) {
        server.Answer(kById, 200, reply);
        server.Answer(kByToc, 200, reply);
        r = Run();
        EXPECT_EQ(r.status, 1) << reply;
        EXPECT_TRUE(Has(r.err, message)) << reply << "\n" << r.err;
    }
}

// MusicBrainz's one request a second holds between two runs back to back as well.
TEST_F(MusicBrainzCommand, RunsBackToBackKeepASecondBetweenTheirRequests) {
    EXPECT_EQ(Run().status, 1);  // unknown disc: by id, then by TOC
    EXPECT_EQ(Run().status, 1);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (std::size_t i = 1; i < requests.size(); ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(
            requests[i].received - requests[i - 1].received);
        // Starts are a second apart; a loaded machine may delay one arrival somewhat.
        EXPECT_GE(gap.count(), 700) << "between requests " << i - 1 << " and " << i;
    }
}

}  // namespace
}  // namespace korvida
