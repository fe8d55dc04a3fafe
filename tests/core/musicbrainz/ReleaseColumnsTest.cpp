// The release list's columns: what tells editions of one album apart gets a column,
// what they share does not.
#include <gtest/gtest.h>

#include "core/musicbrainz/ReleaseColumns.h"

namespace korvida {
namespace {

MusicBrainzRelease Edition(const char* country, const char* format, int tracks,
                           const char* barcode) {
    MusicBrainzRelease r;
    r.title = "First Love";
    r.artist = "Someone";
    r.country = country;
    r.barcode = barcode;
    r.media.resize(1);
    r.media[0].format = format;
    r.media[0].trackCount = tracks;
    r.medium = 0;
    return r;
}

TEST(ReleaseColumns, OnlyWhatTellsTheReleasesApartGetsAColumn) {
    using C = ReleaseColumn;
    const std::vector<C> basic = {C::kTitle, C::kArtist, C::kDate, C::kCountry};
    // Alike in all but the country: no format, track or barcode column.
    EXPECT_EQ(ReleaseColumnsFor({Edition("JP", "CD", 11, ""), Edition("XW", "CD", 11, "")}), basic);
    const std::vector<MusicBrainzRelease> editions = {Edition("JP", "CD", 11, "4988006"),
                                                      Edition("JP", "SHM-CD", 15, "4988007")};
    EXPECT_EQ(ReleaseColumnsFor(editions),
              (std::vector<C>{C::kTitle, C::kArtist, C::kDate, C::kCountry, C::kFormat, C::kTracks,
                              C::kBarcode}));
    EXPECT_EQ(ReleaseCell(editions[1], C::kTracks), "15");
    EXPECT_EQ(ReleaseCell(editions[1], C::kFormat), "SHM-CD");

    // A set's disc shows whenever a set is listed; the shown medium is the disc's own.
    MusicBrainzRelease set = Edition("GB", "CD", 10, "");
    set.media.push_back(set.media[0]);
    set.media[0].position = 1;
    set.media[1].position = 2;
    set.media[1].format = "DVD";
    set.medium = 1;
    EXPECT_EQ(ReleaseColumnsFor({set}).back(), C::kMedium);
    EXPECT_EQ(ReleaseCell(set, C::kMedium), "2/2");
    EXPECT_EQ(ReleaseCell(set, C::kFormat), "DVD");

    EXPECT_EQ(ReleaseCountryName("XW"), "全世界");
    EXPECT_EQ(ReleaseCountryName("HK"), "香港");
    EXPECT_EQ(ReleaseCountryName("QQ"), "QQ");  // no name: the code
}

}  // namespace
}  // namespace korvida
