#include <gtest/gtest.h>

#include <filesystem>

#include "core/cdrom/CSCSIDriver.h"
#include "core/disc/CdPlayerIni.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/LoadDisc.h"
#include "core/disc/LocalDiscKey.h"
#include "core/ini/ProfileFile.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "support/RecordingNotifier.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using test::RecordingNotifier;

// A drive that answers READ TOC from a list of descriptors; everything else succeeds.
class TocDriver : public CSCSIDriver {
  public:
    struct Entry {
        std::uint8_t adrControl;
        std::uint8_t track;
        std::uint32_t lba;
    };
    std::uint8_t first = 1, last = 1;
    std::vector<Entry> entries;
    bool failToc = false;
    int claimedLength = -1;  // overrides the header's data length

    static TocDriver Audio(std::uint8_t firstTrack, const std::vector<std::uint32_t>& lbas) {
        TocDriver d;
        d.first = firstTrack;
        d.last = static_cast<std::uint8_t>(firstTrack + lbas.size() - 2);
        for (std::size_t k = 0; k < lbas.size(); ++k) {
            const bool leadout = k + 1 == lbas.size();
            d.entries.push_back(
                {0x10, static_cast<std::uint8_t>(leadout ? 0xAA : firstTrack + k), lbas[k]});
        }
        return d;
    }

    int Stop() override { return 1; }
    int ReadTOC(std::uint8_t* buffer, int addressForm) override {
        std::fill(buffer, buffer + DiscInfo::kRawTocSize, 0);
        if (failToc)
            return 0;
        const int length =
            claimedLength >= 0 ? claimedLength : 2 + 8 * static_cast<int>(entries.size());
        buffer[0] = static_cast<std::uint8_t>(length >> 8);
        buffer[1] = static_cast<std::uint8_t>(length);
        buffer[2] = first;
        buffer[3] = last;
        for (std::size_t k = 0; k < entries.size() && k < 100; ++k) {
            std::uint8_t* d = buffer + 4 + k * 8;
            d[1] = entries[k].adrControl;
            d[2] = entries[k].track;
            std::uint32_t a = entries[k].lba;
            if (addressForm == 1) {
                const std::uint32_t f = a + 150;
                a = (f / 4500) << 16 | (f / 75 % 60) << 8 | f % 75;
            }
            d[4] = static_cast<std::uint8_t>(a >> 24);
            d[5] = static_cast<std::uint8_t>(a >> 16);
            d[6] = static_cast<std::uint8_t>(a >> 8);
            d[7] = static_cast<std::uint8_t>(a);
        }
        return 1;
    }
};

class DiscTest : public testing::Test {
  protected:
    DiscLoadResult Load(TocDriver& drive) {
        return LoadDisc(drive, settings, disc, rows, notifier);
    }

    test::TempHome home;
    Settings settings = Settings::Defaults();
    DiscInfo disc;
    TrackList rows;
    RecordingNotifier notifier;
};

TEST_F(DiscTest, LocalKeySumsTheDigitsOfTrackLengths) {
    auto drive = TocDriver::Audio(1, {0, 22500, 45000});
    const DiscLoadResult r = Load(drive);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.localKey, 0x06025802u);
    EXPECT_EQ(DiscDatabasePath(r.localKey), home.path() + "/db/6025802.db");
    EXPECT_EQ(r.totalSeconds, 600u);
    EXPECT_TRUE(std::filesystem::is_directory(home / "db"));
}

TEST_F(DiscTest, RowsCountFromOneWhateverTheFirstTrackNumber) {
    std::vector<std::uint32_t> lbas;
    for (std::uint32_t k = 0; k <= 10; ++k)
        lbas.push_back(k * 10000);
    auto drive = TocDriver::Audio(3, lbas);
    ASSERT_TRUE(Load(drive).ok);
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(disc.trackCount, 10);
    EXPECT_EQ(rows.row(0).texts[0], "01");
    EXPECT_EQ(rows.row(9).texts[0], "10");
    EXPECT_EQ(disc.tracks[0].Title, "音轨 3");
    EXPECT_EQ(disc.tracks[9].Title, "音轨 12");
    EXPECT_EQ(rows.row(9).texts[1], "音轨 12");
    EXPECT_EQ(disc.album.Title, "所有音轨");
    EXPECT_TRUE(rows.row(0).highlighted);
    EXPECT_FALSE(rows.row(1).highlighted);
    EXPECT_EQ(rows.CheckedTracks().size(), 10u);  // AutoSelectAll
}

TEST_F(DiscTest, LengthsAndSizesOfTheRows) {
    // A data track (control 0x4) is listed like any other.
    auto drive = TocDriver::Audio(1, {0, 4499, 8999, 458999});
    drive.entries[1].adrControl = 0x14;
    settings.AutoSelectAll = 0;
    ASSERT_TRUE(Load(drive).ok);
    EXPECT_EQ(rows.row(0).texts[2], "00:59");
    EXPECT_EQ(rows.row(1).texts[2], "01:00");
    EXPECT_EQ(rows.row(1).texts[3], "10.09");
    EXPECT_EQ(rows.row(2).texts[2], "100:00");
    EXPECT_TRUE(rows.CheckedTracks().empty());
    EXPECT_EQ(disc.trackRanges[1].start, 4499u);
    EXPECT_EQ(disc.trackRanges[1].end, 8999u);
}

// An enhanced CD: the frames between the sessions (lead-out and lead-in) are no track's,
// and AutoSelectAll ticks the audio tracks only.
TEST_F(DiscTest, TheLastAudioTrackOfAnEnhancedCdEndsWithItsSession) {
    auto drive = TocDriver::Audio(1, {0, 10000, 28067, 40000});
    drive.entries[2].adrControl = 0x14;
    ASSERT_TRUE(Load(drive).ok);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(disc.trackRanges[1].end, 16667u);
    EXPECT_EQ(rows.row(1).texts[2], "01:28");
    EXPECT_EQ(rows.row(1).texts[3], "14.95");
    EXPECT_EQ(disc.trackRanges[2].start, 28067u);
    EXPECT_EQ(disc.trackRanges[2].end, 40000u);
    EXPECT_EQ(rows.CheckedTracks(), (std::vector<int>{0, 1}));
}

TEST_F(DiscTest, ContradictoryTocsAreRefusedWithAReason) {
    struct Case {
        const char* what;
        TocDriver drive;
    };
    std::vector<Case> cases;
    cases.push_back({"first above last", TocDriver::Audio(1, {0, 100, 200})});
    cases.back().drive.first = 5;
    cases.push_back({"track 0", TocDriver::Audio(1, {0, 100})});
    cases.back().drive.first = 0;
    cases.push_back({"more than 99", TocDriver::Audio(1, {0, 100})});
    cases.back().drive.last = 120;
    cases.push_back({"lead-out before a start", TocDriver::Audio(1, {0, 5000, 4000})});
    cases.push_back({"too few descriptors", TocDriver::Audio(1, {0, 100, 200})});
    cases.back().drive.claimedLength = 2 + 8;
    cases.push_back({"header past the buffer", TocDriver::Audio(1, {0, 100, 200})});
    cases.back().drive.claimedLength = 0xFFFF;
    cases.back().drive.last = 99;
    for (auto& c : cases) {
        notifier.messages.clear();
        const DiscLoadResult r = Load(c.drive);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(rows.size(), 0) << c.what;
        EXPECT_EQ(disc.trackCount, 0) << c.what;
        ASSERT_EQ(notifier.messages.size(), 1u) << c.what;
        EXPECT_EQ(notifier.messages[0].rfind("光盘目录表无效: ", 0), 0u) << notifier.messages[0];
    }

    auto noDisc = TocDriver::Audio(1, {0, 100});
    noDisc.failToc = true;
    EXPECT_FALSE(Load(noDisc).ok);
    EXPECT_EQ(rows.size(), 0);
}

TEST_F(DiscTest, DatabaseRemembersEditsByTrackIndexAcrossLoads) {
    auto drive = TocDriver::Audio(3, {0, 22500, 45000, 60000});
    ASSERT_TRUE(Load(drive).ok);
    disc.tracks[2].Title = "Third";
    disc.tracks[0].Title = std::string(300, 'x');
    disc.tracks[0].Genre = 17;
    disc.album.Artist = "Artist 歌手";
    disc.album.Title = "Album title is never stored";
    disc.Revision = 4;
    disc.bRevision = 1;
    rows.HighlightOnly(2);
    rows.MoveHighlighted(TrackList::Move::kTop);  // the row of index 2 first
    ASSERT_TRUE(SaveDiscDatabase(disc, rows, notifier));

    ProfileFile file;
    ASSERT_TRUE(file.Load(DiscDatabasePath(LocalDiscKey(ReadDiscToc(disc.rawToc.data())))));
    EXPECT_EQ(file.Sections().front(), "TRACKS");
    EXPECT_EQ(file.Keys("TRACKS"), (std::vector<std::string>{"03", "01", "02"}));
    EXPECT_EQ(file.GetString("TRACKS", "03", ""), "Third");
    EXPECT_EQ(file.GetString("GENRE", "01", ""), "17");
    EXPECT_EQ(file.GetString("DISC", "Revision", ""), "4");
    EXPECT_EQ(file.GetString("DISC", "bRevision", ""), "1");
    EXPECT_EQ(file.GetString("DISC", "Artist", ""), "Artist 歌手");
    EXPECT_EQ(file.Keys("DISC").size(), 13u);
    EXPECT_FALSE(file.HasKey("DISC", "Title"));

    // Another disc without an entry keeps nothing of the first one.
    auto other = TocDriver::Audio(1, {0, 30000});
    ASSERT_TRUE(Load(other).ok);
    EXPECT_EQ(disc.album.Artist, "");
    EXPECT_EQ(disc.tracks[0].Title, "音轨 1");
    EXPECT_EQ(disc.tracks[0].Genre, 0);
    EXPECT_EQ(disc.Revision, 0);

    ASSERT_TRUE(Load(drive).ok);
    EXPECT_EQ(disc.tracks[2].Title, "Third");
    EXPECT_EQ(rows.row(2).texts[1], "Third");
    EXPECT_EQ(disc.tracks[0].Title, std::string(253, 'x'));  // read into 254 bytes
    EXPECT_EQ(disc.tracks[0].Genre, 17);
    EXPECT_EQ(disc.tracks[1].Title, "音轨 4");  // stored empty: the default comes back
    EXPECT_EQ(disc.album.Artist, "Artist 歌手");
    EXPECT_EQ(disc.album.Title, "所有音轨");
    EXPECT_EQ(disc.Revision, 4);
}

// A set's disc keeps its place in two keys of its own; a disc of one writes the entry it
// always wrote, byte for byte, also after it was taken for a set's disc.
TEST_F(DiscTest, ASetsDiscKeepsItsNumberAndADiscOfOneItsEntryAsBefore) {
    auto drive = TocDriver::Audio(2, {0, 22500, 45000});
    ASSERT_TRUE(Load(drive).ok);
    disc.album.Artist = "Band";
    ASSERT_TRUE(SaveDiscDatabase(disc, rows, notifier));
    const std::string path = DiscDatabasePath(LocalDiscKey(ReadDiscToc(disc.rawToc.data())));
    const std::string single = test::ReadFile(path);
    EXPECT_EQ(single.find("DiscNumber"), std::string::npos);

    disc.discNumber = 2;
    disc.discCount = 3;
    ASSERT_TRUE(SaveDiscDatabase(disc, rows, notifier));
    ProfileFile file;
    ASSERT_TRUE(file.Load(path));
    EXPECT_EQ(file.GetString("DISC", "DiscNumber", ""), "2");
    EXPECT_EQ(file.GetString("DISC", "DiscCount", ""), "3");
    ASSERT_TRUE(Load(drive).ok);
    EXPECT_EQ(disc.discNumber, 2);
    EXPECT_EQ(disc.discCount, 3);
    EXPECT_TRUE(disc.InSet());

    disc.discNumber = disc.discCount = 0;
    ASSERT_TRUE(SaveDiscDatabase(disc, rows, notifier));
    EXPECT_EQ(test::ReadFile(path), single);
    // A number past its count is no place in a set.
    test::WriteFile(path, single + "[DISC]\nDiscNumber=4\nDiscCount=3\n");
    ASSERT_TRUE(Load(drive).ok);
    EXPECT_FALSE(disc.InSet());
    EXPECT_EQ(disc.discNumber, 0);
}

TEST_F(DiscTest, GenreComesFromTheGenreIdWhenTheEntryHasNoNumber) {
    auto drive = TocDriver::Audio(1, {0, 22500, 45000});
    ASSERT_TRUE(Load(drive).ok);
    test::WriteFile(home / "db/6025802.db",
                    "[GENREID]\n01=13 Pop\n02=Rock\n[genre]\n02=abc\n[TRACKS]\n01=One\n");
    ASSERT_TRUE(Load(drive).ok);
    EXPECT_EQ(disc.tracks[0].Genre, 13);
    EXPECT_EQ(disc.tracks[1].Genre, 0);
    EXPECT_EQ(disc.tracks[0].Title, "One");
}

TEST_F(DiscTest, NoDbFolderFailsTheLoadAndTheSave) {
    auto drive = TocDriver::Audio(1, {0, 22500, 45000});
    ASSERT_TRUE(Load(drive).ok);
    test::WriteFile(home / "db.tmp", "");
    std::filesystem::remove_all(home / "db");
    test::WriteFile(home / "db", "a file in the way");
    EXPECT_FALSE(SaveDiscDatabase(disc, rows, notifier));
    EXPECT_FALSE(Load(drive).ok);
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[0], "不能打开目录 " + home.path() + "/db 。");
    EXPECT_EQ(rows.size(), 0);
}

TEST_F(DiscTest, CdPlayerIniVolumeIdExportAndImport) {
    // MSF 00:02:00 and 05:00:10 are LBA 0 and 22360; a data track is not counted.
    auto drive = TocDriver::Audio(1, {0, 22360, 30000, 40000});
    drive.entries[2].adrControl = 0x54;
    std::uint32_t id = 0;
    ASSERT_TRUE(ReadCdPlayerVolumeId(drive, &id, notifier));
    EXPECT_EQ(id, 0x5020au);

    ASSERT_TRUE(Load(drive).ok);
    disc.album.Artist = "A";
    disc.album.Album = "T";
    disc.tracks[1].Title = "Second";
    ASSERT_TRUE(ExportCdPlayerIni(drive, disc, rows, notifier));
    ProfileFile file;
    ASSERT_TRUE(file.Load(CdPlayerIniPath()));
    EXPECT_EQ(file.Keys("5020a"),
              (std::vector<std::string>{"EntryType", "Artist", "Title", "NumTracks", "0", "1", "2",
                                        "numplay", "Year"}));
    EXPECT_EQ(file.GetString("5020a", "NumTracks", ""), "3");
    EXPECT_EQ(file.GetString("5020a", "numplay", ""), "3");

    // An empty Title keeps the album name; titles reach the tracks and their rows.
    file.SetString("5020a", "Title", "");
    file.SetString("5020a", "2", "Imported");
    ASSERT_TRUE(file.Save(CdPlayerIniPath()));
    disc.album.Album = "Current";
    ImportCdPlayerIni(drive, disc, rows, notifier);
    EXPECT_EQ(disc.album.Album, "Current");
    EXPECT_EQ(disc.album.Artist, "A");
    EXPECT_EQ(disc.tracks[2].Title, "Imported");
    EXPECT_EQ(rows.row(2).texts[1], "Imported");

    // The automatic import runs before the database; the database then wins.
    ASSERT_TRUE(Load(drive).ok);
    EXPECT_EQ(disc.tracks[2].Title, "Imported");
    EXPECT_EQ(disc.album.Artist, "A");
    EXPECT_TRUE(notifier.messages.empty());

    drive.failToc = true;
    EXPECT_FALSE(ExportCdPlayerIni(drive, disc, rows, notifier));
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"读取 CD 音量 ID 时出错。"});
}

TEST(TrackList, MovedRowsKeepTheirTrackAndStopAtTheEdges) {
    TrackList rows;
    for (int i = 0; i < 4; ++i)
        rows.AddRow({{FormatTrackNumber(i), "t", "", ""}, i % 2 == 0, false, i});
    EXPECT_EQ(rows.MoveHighlighted(TrackList::Move::kUp), -1);
    rows.HighlightOnly(3);
    EXPECT_EQ(rows.MoveHighlighted(TrackList::Move::kDown), 3);
    EXPECT_EQ(rows.MoveHighlighted(TrackList::Move::kTop), 0);
    EXPECT_EQ(rows.MoveHighlighted(TrackList::Move::kUp), 0);
    EXPECT_EQ(rows.row(0).trackIndex, 3);
    EXPECT_EQ(rows.row(0).texts[0], "04");
    EXPECT_TRUE(rows.row(0).highlighted);
    rows.InvertChecks();
    EXPECT_EQ(rows.CheckedTracks(), (std::vector<int>{3, 1}));
    rows.SetTitle(3, "moved");
    EXPECT_EQ(rows.row(0).texts[1], "moved");
    EXPECT_EQ(rows.MoveHighlighted(TrackList::Move::kBottom), 3);
    EXPECT_EQ(rows.FindTrack(3), 3);
}

}  // namespace
}  // namespace korvida
