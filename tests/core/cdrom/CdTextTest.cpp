// A disc's own names and codes: cue sheet lines become the virtual drive's CD-Text packs
// and Q sub-channel answers, which the disc load reads back through the driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "core/cdrom/BuildCdTextPacks.h"
#include "core/cdrom/CdTextPack.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/LoadDisc.h"
#include "core/disc/ParseCdText.h"
#include "core/platform/ByteOrder.h"
#include "core/text/Utf8.h"
#include "support/DiscImage.h"
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
        drive = LoadDrive(home.path(), cue);
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
    std::shared_ptr<VirtualDrive> drive;
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

// The packs a disc mastered from `text` (disc title, then one title per track) carries.
std::string PacksOf(const std::vector<std::string>& titles) {
    DiscImage image;
    image.text.title = titles[0];
    for (std::size_t k = 1; k < titles.size(); ++k) {
        ImageTrack track;
        track.number = static_cast<int>(k);
        track.text.title = titles[k];
        image.tracks.push_back(track);
    }
    const std::vector<std::uint8_t> packs = BuildCdTextPacks(image);
    return std::string(packs.begin(), packs.end());
}

const char* const kSheetWithTextFile =
    "CDTEXTFILE \"text/disc.cdt\"\n"
    "FILE \"a.bin\" BINARY\n"
    "  TRACK 01 AUDIO\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    INDEX 01 00:02:00\n";

TEST_F(DiscOwnNames, ACdTextFileNamesTheDiscWithOrWithoutItsHeader) {
    std::filesystem::create_directories(home / "text");
    const std::string packs = PacksOf({"Dump Album", "First", "Second"});
    const std::string header{char((packs.size() + 2) >> 8), char(packs.size() + 2), 0, 0};
    for (const std::string& file : {packs, header + packs, header + packs + '\0'}) {
        WriteFile(home / "text/disc.cdt", file);
        ASSERT_TRUE(Load(kSheetWithTextFile).ok);
        EXPECT_EQ(Titles(), (std::vector<std::string>{"First", "Second"})) << file.size();
        EXPECT_EQ(disc.album.Album, "Dump Album");
        EXPECT_TRUE(drive->image().notes.empty());
    }

    // A file that is not there or holds no packs leaves the image without CD-Text, noted.
    for (const std::string& broken : {std::string("\x80\x00\x00", 3), std::string(36, '\0')}) {
        WriteFile(home / "text/disc.cdt", broken);
        ASSERT_TRUE(Load(kSheetWithTextFile).ok);
        EXPECT_EQ(Titles(), (std::vector<std::string>{"音轨 1", "音轨 2"}));
        ASSERT_EQ(drive->image().notes.size(), 1u);
        EXPECT_NE(drive->image().notes[0].find("disc.cue:1: CDTEXTFILE \"text/disc.cdt\""),
                  std::string::npos)
            << drive->image().notes[0];
    }
    std::filesystem::remove(home / "text/disc.cdt");
    ASSERT_TRUE(Load(kSheetWithTextFile).ok);
    EXPECT_EQ(drive->image().notes.size(), 1u);
}

TEST(CdTextFilePacks, RefusesWhatNoDumpToolWrites) {
    std::string packs = PacksOf({"A", "B"});
    const std::string header{0, char(packs.size() + 2), 0, 0};
    EXPECT_TRUE(CdTextFilePacks(packs));
    EXPECT_FALSE(CdTextFilePacks(packs + 'x'));                      // not whole packs
    EXPECT_FALSE(CdTextFilePacks(std::string{0, 9, 0, 0} + packs));  // header miscounts
    EXPECT_FALSE(CdTextFilePacks(header + packs + "\x01"));          // stray non-zero byte
    EXPECT_FALSE(CdTextFilePacks(std::string(kCdTextPackSize * (kMaxCdTextPacks + 1), 0)));
    for (std::size_t at = 16; at < packs.size(); at += kCdTextPackSize)
        packs[at] ^= 1;  // every CRC broken: the bytes are no CD-Text
    EXPECT_FALSE(CdTextFilePacks(packs));
}

TEST(CdTextFilePacks, TakesPacksWhoseCrcsAnotherWriterComputed) {
    // Published packs of a three-track disc's size information (tests/data/cdtext).
    const std::string file = ReadFile(KORVIDA_TEST_DATA_DIR "/cdtext/sizeinfo-3tracks.cdt");
    ASSERT_EQ(file.size(), 3 * kCdTextPackSize);
    const std::optional<std::vector<std::uint8_t>> packs = CdTextFilePacks(file);
    ASSERT_TRUE(packs);
    for (std::size_t at = 0; at < packs->size(); at += kCdTextPackSize)
        EXPECT_TRUE(CdTextPackIntact(packs->data() + at)) << at / kCdTextPackSize;
    // Byte 28 of the record, the language of block 0, is where the reader looks for it.
    EXPECT_EQ((*packs)[2 * kCdTextPackSize + kCdTextPayloadOffset + 4], cdtext::kLanguageEnglish);
}

// Whole dumps that other programs wrote (tests/data/cdtext), with the names libcdio's
// own tests read from them: the first has an English and a German block.
TEST_F(DiscOwnNames, DumpsOtherProgramsWroteNameTheDisc) {
    const auto sheet = [](const std::string& dump) {
        return "CDTEXTFILE \"" KORVIDA_TEST_DATA_DIR "/cdtext/" + dump +
               "\"\nFILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
               "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n  TRACK 03 AUDIO\n"
               "    INDEX 01 00:02:00\n";
    };
    ASSERT_TRUE(Load(sheet("cdtext-two-languages.cdt")).ok);
    EXPECT_TRUE(drive->image().notes.empty());
    EXPECT_EQ(disc.album.Album, "Joyful Nights");
    EXPECT_EQ(disc.album.Artist, "United Cat Orchestra");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Song of Joy", "Humpty Dumpty", "Mee Owwww"}));
    EXPECT_EQ(disc.tracks[1].Artist, "Catwalk Beauties");

    ASSERT_TRUE(Load(sheet("cdtext-libburnia.cdt")).ok);
    EXPECT_EQ(disc.album.Album, "Night Cats II");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Song of Joy", "The Hunt", "Mee Owwww"}));

    // Asked for German, the same dump gives its second block, ISO-8859-1 made UTF-8.
    const std::string file = ReadFile(KORVIDA_TEST_DATA_DIR "/cdtext/cdtext-two-languages.cdt");
    const std::optional<std::vector<std::uint8_t>> packs = CdTextFilePacks(file);
    ASSERT_TRUE(packs);
    std::vector<std::uint8_t> reply = {std::uint8_t((packs->size() + 2) >> 8),
                                       std::uint8_t(packs->size() + 2), 0, 0};
    reply.insert(reply.end(), packs->begin(), packs->end());
    const CdText german = ParseCdText(reply.data(), reply.size(), 0x08);
    EXPECT_EQ(german.entries[0].title, "Freudvolle Nächte");
    EXPECT_EQ(german.entries[2].performer, "Katzengang Schönheiten");
    EXPECT_EQ(german.entries[3].performer, "Mia Kätzchen");
}

TEST_F(DiscOwnNames, SheetNamesInAnyScriptReachTheDisc) {
    // Simplified Chinese fits neither ISO-8859-1 nor MS-JIS; a Thai title fits no set a
    // disc can carry and is the only name lost.
    ASSERT_TRUE(Load("TITLE \"我们的歌\"\n"
                     "PERFORMER \"周杰伦\"\n"
                     "FILE \"a.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n"
                     "    TITLE \"晴天\"\n"
                     "    INDEX 01 00:00:00\n"
                     "  TRACK 02 AUDIO\n"
                     "    TITLE \"Sunny Day\"\n"
                     "    INDEX 01 00:01:00\n"
                     "  TRACK 03 AUDIO\n"
                     "    TITLE \"สวัสดี\"\n"
                     "    INDEX 01 00:02:00\n")
                    .ok);
    EXPECT_EQ(disc.album.Album, "我们的歌");
    EXPECT_EQ(disc.album.Artist, "周杰伦");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"晴天", "Sunny Day", "音轨 3"}));

    ASSERT_TRUE(Load("TITLE \"우리들의 노래\"\n"
                     "FILE \"a.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n"
                     "    TITLE \"봄날\"\n"
                     "    INDEX 01 00:00:00\n")
                    .ok);
    EXPECT_EQ(disc.album.Album, "우리들의 노래");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"봄날"}));
}

// One 18-byte pack with its CRC.
std::vector<std::uint8_t> Pack(std::uint8_t type, std::uint8_t track, std::uint8_t sequence,
                               std::uint8_t flags, const std::vector<std::uint8_t>& text) {
    std::vector<std::uint8_t> pack(kCdTextPackSize, 0);
    pack[0] = type;
    pack[1] = track;
    pack[2] = sequence;
    pack[3] = flags;
    std::copy(text.begin(), text.end(), pack.begin() + kCdTextPayloadOffset);
    const std::uint16_t crc = CdTextPackCrc(pack.data());
    pack[16] = static_cast<std::uint8_t>(crc >> 8);
    pack[17] = static_cast<std::uint8_t>(crc);
    return pack;
}

std::vector<std::uint8_t> Reply(const std::vector<std::vector<std::uint8_t>>& packs) {
    std::vector<std::uint8_t> reply(4, 0);
    for (const auto& pack : packs)
        reply.insert(reply.end(), pack.begin(), pack.end());
    PutBe16(reply.data(), static_cast<std::uint16_t>(reply.size() - 2));
    return reply;
}

TEST(ParseCdText, DoubleByteSetsAndAStringThatDoesNotConvertLosesOnlyItself) {
    // Byte values from the character sets' own tables, not from the code under test:
    // 日本 in MS-JIS, 한국 in KS C 5601, 中文 in GB 2312. Track 2's bytes are in none.
    const struct {
        std::uint8_t code;
        std::vector<std::uint8_t> word;
        const char* utf8;
    } kSets[] = {{cdtext::kMsJis, {0x93, 0xFA, 0x96, 0x7B}, "日本"},
                 {cdtext::kKorean, {0xC7, 0xD1, 0xB1, 0xB9}, "한국"},
                 {cdtext::kMandarin, {0xD6, 0xD0, 0xCE, 0xC4}, "中文"}};
    for (const auto& set : kSets) {
        // The disc, then tracks 1-3, each ending in two zero bytes.
        std::vector<std::uint8_t> text = set.word;
        for (const std::vector<std::uint8_t>& part :
             {std::vector<std::uint8_t>{0, 0, 'A', 'B', 0, 0, 0xFF, 0xFF, 0, 0}, set.word,
              std::vector<std::uint8_t>{0, 0}})
            text.insert(text.end(), part.begin(), part.end());
        text.resize(24, 0);
        const std::vector<std::uint8_t> reply =
            Reply({Pack(cdtext::kTitle, 0, 0, 0x80, {text.begin(), text.begin() + 12}),
                   Pack(cdtext::kTitle, 2, 1, 0x80 | 1, {text.begin() + 12, text.end()}),
                   Pack(cdtext::kSizeInfo, 0, 2, 0, {set.code, 1, 3}),
                   Pack(cdtext::kSizeInfo, 1, 3, 0, {}), Pack(cdtext::kSizeInfo, 2, 4, 0, {})});
        const CdText parsed = ParseCdText(reply.data(), reply.size(), cdtext::kLanguageChinese);
        EXPECT_EQ(parsed.entries[0].title, set.utf8);
        EXPECT_EQ(parsed.entries[1].title, "AB");
        EXPECT_EQ(parsed.entries[2].title, "");
        EXPECT_EQ(parsed.entries[3].title, set.utf8);
    }
}

TEST(ParseCdText, TheBlockInTheLanguageAskedForElseBlockZero) {
    // Two discs' packs as blocks 0 (English) and 1 (Chinese) of one disc: block numbers
    // set, and every size information naming both blocks' languages.
    std::string packs = PacksOf({"Songs", "Morning"});
    const std::string chinese = PacksOf({"歌曲", "早晨"});
    const std::size_t firstOfBlock1 = packs.size() / kCdTextPackSize;
    packs += chinese;
    std::vector<std::uint8_t> bytes(packs.begin(), packs.end());
    for (std::size_t k = 0; k * kCdTextPackSize < bytes.size(); ++k) {
        std::uint8_t* pack = &bytes[k * kCdTextPackSize];
        if (k >= firstOfBlock1)
            pack[3] |= 0x10;
        if (pack[0] == cdtext::kSizeInfo && pack[1] == 2) {
            pack[kCdTextPayloadOffset + 4] = cdtext::kLanguageEnglish;
            pack[kCdTextPayloadOffset + 5] = cdtext::kLanguageChinese;
        }
        const std::uint16_t crc = CdTextPackCrc(pack);
        pack[16] = static_cast<std::uint8_t>(crc >> 8);
        pack[17] = static_cast<std::uint8_t>(crc);
    }
    std::vector<std::vector<std::uint8_t>> split;
    for (std::size_t at = 0; at < bytes.size(); at += kCdTextPackSize)
        split.emplace_back(bytes.begin() + at, bytes.begin() + at + kCdTextPackSize);
    const std::vector<std::uint8_t> reply = Reply(split);

    const auto titles = [&](std::uint8_t language) {
        const CdText text = ParseCdText(reply.data(), reply.size(), language);
        return text.entries[0].title + "/" + text.entries[1].title;
    };
    EXPECT_EQ(titles(cdtext::kLanguageChinese), "歌曲/早晨");
    EXPECT_EQ(titles(cdtext::kLanguageEnglish), "Songs/Morning");
    EXPECT_EQ(titles(cdtext::kLanguageKorean), "Songs/Morning");
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
            pack[3] &= round % 4 == 0 ? 0xFF : 0x7F;  // any block, mostly single-byte
            if (random() % 2)
                pack[kCdTextPayloadOffset + random() % kCdTextPayload] = 0;
            const std::uint16_t crc = CdTextPackCrc(pack);
            pack[16] = static_cast<std::uint8_t>(crc >> 8);
            pack[17] = static_cast<std::uint8_t>(crc);
        }
        const CdText text = ParseCdText(reply.data(), reply.size(), cdtext::kLanguageChinese);
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
