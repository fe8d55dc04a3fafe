// A disc's own names and codes: cue sheet lines become the virtual drive's CD-Text packs
// and Q sub-channel answers, which the disc load reads back through the driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "CdromTestSupport.h"
#include "core/cdrom/CdTextPack.h"
#include "core/disc/CdText.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/LoadDisc.h"
#include "core/platform/ByteOrder.h"
#include "core/text/Utf8.h"
#include "support/RecordingNotifier.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

// Track 2's title runs through packs 1 to 5 of the title packs: "Café du Monde\0" takes
// bytes 0-13, "Overture\0" 14-22, the long title 23-62, "Finale\0" 63-69.
const char* const kSheet =
    "CATALOG 0724349916429\n"
    "PERFORMER \"Les Ondes Martenot\"\n"
    "TITLE \"Café du Monde\"\n"
    "FILE \"a.bin\" BINARY\n"
    "  TRACK 01 AUDIO\n"
    "    TITLE \"Overture\"\n"
    "    PERFORMER \"Les Ondes Martenot\"\n"
    "    ISRC FRZ039900212\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    TITLE \"A Title Long Enough To Span Three Packs\"\n"
    "    PERFORMER \"Guest Singer\"\n"
    "    SONGWRITER \"Someone\"\n"
    "    ISRC 0000\n"  // malformed: left out, the sheet still loads
    "    INDEX 01 00:01:00\n"
    "  TRACK 03 AUDIO\n"
    "    TITLE \"Finale\"\n"
    "    PERFORMER \"Guest Singer\"\n"  // the same as track 2: sent as a tab
    "    ISRC frz039900214\n"
    "    INDEX 01 00:02:00\n";

class DiscOwnNames : public ::testing::Test {
  protected:
    DiscLoadResult Load(const std::string& cue, std::set<std::size_t> damagedPacks = {}) {
        WritePatternBin(home / "a.bin", 300);
        auto drive = LoadDrive(home.path(), cue);
        drive->faults().damagedCdTextPacks = std::move(damagedPacks);
        DriverOnImage setup(drive);
        return LoadDisc(*setup.driver, settings, disc, rows, notifier);
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (int i = 0; i < rows.size(); ++i)
            titles.push_back(rows.row(i).texts[1]);
        return titles;
    }

    TempHome home;
    Settings settings = Settings::Defaults();
    DiscInfo disc;
    TrackList rows;
    RecordingNotifier notifier;
};

TEST_F(DiscOwnNames, AnUnknownDiscIsNamedFromItsCdTextAndCarriesItsCodes) {
    ASSERT_TRUE(Load(kSheet).ok);
    EXPECT_EQ(Titles(), (std::vector<std::string>{
                            "Overture", "A Title Long Enough To Span Three Packs", "Finale"}));
    EXPECT_EQ(disc.album.Album, "Café du Monde");  // ISO-8859-1 on the disc, UTF-8 here
    EXPECT_EQ(disc.album.Artist, "Les Ondes Martenot");
    EXPECT_EQ(disc.tracks[0].Artist, "Les Ondes Martenot");
    EXPECT_EQ(disc.tracks[1].Artist, "Guest Singer");
    EXPECT_EQ(disc.tracks[2].Artist, "Guest Singer");
    EXPECT_EQ(disc.tracks[1].Composer, "Someone");
    EXPECT_EQ(disc.tracks[2].Album, "Café du Monde");

    EXPECT_EQ(disc.catalog, "0724349916429");
    EXPECT_EQ(disc.isrc[0], "FRZ039900212");
    EXPECT_EQ(disc.isrc[1], "");
    EXPECT_EQ(disc.isrc[2], "FRZ039900214");
    // Reading the names stores nothing: the disc is still unknown to the database.
    EXPECT_TRUE(std::filesystem::is_empty(home / "db"));
}

TEST_F(DiscOwnNames, ADamagedPackLosesOnlyTheStringsItCarried) {
    // Pack 3 lies inside track 2's title; pack 0 holds the start of the album's.
    ASSERT_TRUE(Load(kSheet, {3}).ok);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Overture", "音轨 2", "Finale"}));
    EXPECT_EQ(disc.album.Album, "Café du Monde");

    ASSERT_TRUE(Load(kSheet, {0}).ok);
    EXPECT_EQ(Titles(), (std::vector<std::string>{
                            "Overture", "A Title Long Enough To Span Three Packs", "Finale"}));
    EXPECT_EQ(disc.album.Album, "");
    EXPECT_EQ(disc.album.Title, "所有音轨");
    EXPECT_EQ(disc.album.Artist, "Les Ondes Martenot");  // performer packs are whole
}

TEST_F(DiscOwnNames, NamesTheUserGaveWinOverTheDiscs) {
    ASSERT_TRUE(Load(kSheet).ok);
    disc.tracks[0].Title = "Mine";
    ASSERT_TRUE(SaveDiscDatabase(disc, rows, notifier));
    ASSERT_TRUE(Load(kSheet).ok);
    EXPECT_EQ(Titles()[0], "Mine");
    EXPECT_EQ(disc.isrc[0], "FRZ039900212");  // codes are the disc's, read every time
}

TEST_F(DiscOwnNames, DoubleByteTextComesThroughMsJis) {
    // An odd number of bytes before the two-byte terminator (ASCII is single-byte in
    // MS-JIS), and track 2 sent as "the same as track 1".
    ASSERT_TRUE(Load("TITLE \"夜明けのスキャット\"\n"
                     "FILE \"a.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n"
                     "    TITLE \"由紀さおり AB\"\n"
                     "    INDEX 01 00:00:00\n"
                     "  TRACK 02 AUDIO\n"
                     "    TITLE \"由紀さおり AB\"\n"
                     "    INDEX 01 00:02:00\n")
                    .ok);
    EXPECT_EQ(disc.album.Album, "夜明けのスキャット");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"由紀さおり AB", "由紀さおり AB"}));
}

// Drive replies are input like any other: packs that pass their CRC but say anything
// (track numbers past 99, strings without end, stray double-byte flags, any character
// code) must give bounded, well-formed text and nothing else.
TEST(ParseCdText, ArbitraryIntactPacksGiveOnlyShortValidUtf8) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t packs = random() % 40;
        std::vector<std::uint8_t> reply(4 + packs * kCdTextPackSize);
        PutBe16(reply.data(), static_cast<std::uint16_t>(reply.size() - 2));
        for (std::size_t k = 0; k < packs; ++k) {
            std::uint8_t* pack = &reply[4 + k * kCdTextPackSize];
            for (std::size_t i = 0; i < 16; ++i)
                pack[i] = static_cast<std::uint8_t>(random());
            pack[0] = static_cast<std::uint8_t>(0x80 | (random() % 3 == 0 ? 0x0F : random() % 3));
            pack[2] = static_cast<std::uint8_t>(k);
            pack[3] &= round % 4 == 0 ? 0x8F : 0x0F;  // block 0, mostly single-byte
            if (random() % 2)
                pack[kCdTextPayloadOffset + random() % kCdTextPayload] = 0;
            const std::uint16_t crc = CdTextPackCrc(pack);
            pack[16] = static_cast<std::uint8_t>(crc >> 8);
            pack[17] = static_cast<std::uint8_t>(crc);
        }
        const CdText text = ParseCdText(reply.data(), reply.size());
        for (const CdTextEntry& e : text.entries) {
            for (const std::string* s : {&e.title, &e.performer, &e.songwriter}) {
                EXPECT_TRUE(IsValidUtf8(*s)) << round;
                EXPECT_LE(s->size(), 253u) << round;
            }
        }
    }
}

TEST(CdTextPackCrc, IsTheInvertedCcittCrcOfTheFirstSixteenBytes) {
    // Expected values from Python's binascii.crc_hqx(pack[:16], 0) ^ 0xFFFF.
    std::uint8_t pack[kCdTextPackSize] = {0x80, 0,   0,   0,   'D', 'e', 'm', 'o',
                                          ' ',  'D', 'i', 's', 'c', 0,   'O', 'n'};
    EXPECT_EQ(CdTextPackCrc(pack), 0x329E);
    pack[16] = 0x32;
    pack[17] = 0x9E;
    EXPECT_TRUE(CdTextPackIntact(pack));
    pack[9] ^= 1;
    EXPECT_FALSE(CdTextPackIntact(pack));
}

}  // namespace
}  // namespace korvida::test
