#include "core/musicbrainz/FetchCoverArt.h"

#include <gtest/gtest.h>

#include "core/disc/DiscInfo.h"
#include "core/net/HttpGet.h"
#include "core/settings/Settings.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

constexpr const char* kRelease = "b84ee12a-09ef-421b-82de-0441a926375b";

// A disc of two audio tracks, enough for a key in the local database.
DiscInfo TwoTrackDisc() {
    DiscInfo disc;
    disc.rawToc = test::LbaToc({0, 1000}, 5000);
    disc.trackCount = 2;
    return disc;
}

class CoverArtFetchTest : public testing::Test {
  protected:
    CoverArtFetchTest() { settings.CoverArtServer = server.BaseUrl() + "/"; }
    std::string Path() const { return std::string("/release/") + kRelease + "/front-500"; }

    test::TempHome home;
    test::HttpTestServer server;
    Settings settings = Settings::Defaults();
    DiscInfo disc = TwoTrackDisc();
};

// The archive answers with a redirect to the image's host.
TEST_F(CoverArtFetchTest, TheRedirectedImageIsStoredAndComesBackForTheDisc) {
    const std::string png("\x89PNG\r\n\x1a\n-image-bytes", 20);
    server.Redirect(Path(), 307, server.BaseUrl() + "/images/1.png");
    server.Answer("/images/", 200, png, "image/png");
    const CoverArtFetch fetch = FetchAndStoreCoverArt(disc, kRelease, settings);
    ASSERT_EQ(fetch.outcome, CoverArtFetch::Outcome::kFound) << fetch.errorText;
    const CoverImage stored = LoadCoverArt(disc);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::string(stored->begin(), stored->end()), png);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, Path());
    EXPECT_EQ(requests[0].Header("User-Agent"), KorvidaUserAgent());
}

TEST_F(CoverArtFetchTest, NoCoverIsNoErrorAndWhatIsNoPictureIsRefused) {
    // No front image: nothing stored, nothing to tell.
    CoverArtFetch fetch = FetchAndStoreCoverArt(disc, kRelease, settings);
    EXPECT_EQ(fetch.outcome, CoverArtFetch::Outcome::kNone);
    EXPECT_TRUE(fetch.errorText.empty());

    // A portal's login page answering for the image must not become the album's cover.
    server.Answer(Path(), 200, "<html>sign in</html>", "image/jpeg");
    fetch = FetchAndStoreCoverArt(disc, kRelease, settings);
    EXPECT_EQ(fetch.outcome, CoverArtFetch::Outcome::kFailed);
    EXPECT_FALSE(fetch.errorText.empty());
    EXPECT_EQ(LoadCoverArt(disc), nullptr);

    // Switched off, or an id that is no release id: nothing is asked.
    const std::size_t asked = server.Requests().size();
    settings.CoverArt = 0;
    EXPECT_EQ(FetchAndStoreCoverArt(disc, kRelease, settings).outcome,
              CoverArtFetch::Outcome::kNone);
    settings.CoverArt = 1;
    EXPECT_EQ(FetchAndStoreCoverArt(disc, "../../admin?x=1", settings).outcome,
              CoverArtFetch::Outcome::kNone);
    EXPECT_EQ(server.Requests().size(), asked);
}

}  // namespace
}  // namespace korvida
