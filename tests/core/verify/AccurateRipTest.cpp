// The disc ids, the database reply and the matching: plain functions of plain data, and
// an enhanced CD through the virtual drive.
#include <gtest/gtest.h>

#include <zlib.h>

#include <array>
#include <random>

#include "core/disc/DiscInfo.h"
#include "core/platform/ByteOrder.h"
#include "core/verify/AccurateRipDisc.h"
#include "core/verify/AccurateRipReply.h"
#include "core/verify/Crc32.h"
#include "core/verify/MatchAccurateRip.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "support/RipTestSupport.h"

namespace korvida {
namespace {

// A READ TOC reply with LBA addresses: tracks at `starts` (data tracks flagged), lead-out.
std::array<std::uint8_t, DiscInfo::kRawTocSize> LbaToc(const std::vector<std::uint32_t>& starts,
                                                       std::uint32_t leadout,
                                                       const std::vector<bool>& data = {}) {
    std::array<std::uint8_t, DiscInfo::kRawTocSize> toc{};
    const auto n = starts.size();
    PutBe16(&toc[0], static_cast<std::uint16_t>(2 + 8 * (n + 1)));
    toc[2] = 1;
    toc[3] = static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i <= n; ++i) {
        std::uint8_t* d = &toc[4 + 8 * i];
        d[1] = static_cast<std::uint8_t>(0x10 | (i < data.size() && data[i] ? 0x04 : 0));
        d[2] = i < n ? static_cast<std::uint8_t>(i + 1) : 0xAA;
        PutBe32(d + 4, i < n ? starts[i] : leadout);
    }
    return toc;
}

TEST(AccurateRipDisc, TheKnownFourTrackDiscGivesItsIdsAndDatabasePath) {
    const auto toc = LbaToc({0, 11413, 25024, 45713}, 55220);
    const AccurateRipDisc disc = AccurateRipDiscOf(toc.data());
    ASSERT_TRUE(disc.ok);
    EXPECT_EQ(disc.IdText(), "004-0002189a-00087f33-1f02e004");
    EXPECT_EQ(disc.DatabasePath(), "a/9/8/dBAR-004-0002189a-00087f33-1f02e004.bin");
    EXPECT_EQ(disc.PositionOf(3).track, 4);
    EXPECT_EQ(disc.PositionOf(3).samples, (55220u - 45713u) * 588u);
}

// Audio in session 1, a data track in session 2 after the 11400-sector gap: the ids take
// the whole disc's lead-out, the last audio track's checksums stop where its session ends,
// and the drive reports two sessions.
TEST(AccurateRipDisc, AnEnhancedCdImageGivesTheIdsOfTheTrueLeadOut) {
    test::TempDir dir;
    test::WriteFile(dir / "audio.bin", test::Frames(0, 600));
    test::WriteFile(dir / "data.bin", std::string(200 * 2352, '\x5a'));
    test::WriteFile(dir / "disc.cue",
                    "FILE \"audio.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                    "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n"
                    "REM SESSION 02\nFILE \"data.bin\" BINARY\n  TRACK 03 MODE1/2352\n"
                    "    PREGAP 02:32:00\n    INDEX 01 00:00:00\n");
    test::DriverOnImage disc(dir / "disc.cue");
    ASSERT_TRUE(disc.drive);
    std::array<std::uint8_t, DiscInfo::kRawTocSize> toc{};
    ASSERT_TRUE(disc.driver->ReadTOC(toc.data(), 0));

    const AccurateRipDisc ids = AccurateRipDiscOf(toc.data());
    ASSERT_TRUE(ids.ok);
    EXPECT_EQ(ids.audioTracks, 2);
    // Data track at 600 + 11400 = 12000, lead-out 12200.
    EXPECT_EQ(ids.id1, 0u + 300u + 12200u);
    EXPECT_EQ(ids.id2, 1u * 1u + 300u * 2u + 12200u * 3u);
    EXPECT_EQ(ids.PositionOf(1).samples, 300u * 588u);
    EXPECT_EQ(ids.PositionOf(2).track, 0);

    const std::uint8_t cdb[10] = {0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0};  // READ TOC, format 1
    std::uint8_t reply[12] = {};
    const ScsiReply answer =
        disc.drive->Execute({cdb, sizeof cdb, DataDirection::kFromDevice, reply, sizeof reply});
    ASSERT_EQ(answer.status, 0);
    EXPECT_EQ(reply[3], 2);              // last session
    EXPECT_EQ(reply[6], 3);              // its first track
    EXPECT_EQ(Be32(&reply[8]), 12000u);  // and that track's start
}

std::string Pressing(std::uint32_t id1, std::vector<std::array<std::uint32_t, 3>> tracks) {
    std::string bytes(1, static_cast<char>(tracks.size()));
    bytes += test::Le32(id1) + test::Le32(0) + test::Le32(0);
    for (const auto& [confidence, crc, frame450] : tracks)
        bytes += static_cast<char>(confidence) + test::Le32(crc) + test::Le32(frame450);
    return bytes;
}

AccurateRipLookupResult Found(const std::string& bytes) {
    AccurateRipLookupResult result;
    result.reply =
        ParseAccurateRipReply(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    result.status = result.reply.ok ? AccurateRipLookupResult::Status::kFound
                                    : AccurateRipLookupResult::Status::kUnreadable;
    return result;
}

TEST(AccurateRipReply, EveryCutOfATwoPressingReplyIsRefusedWhole) {
    const std::string first = Pressing(1, {{2, 10, 0}, {2, 20, 0}});
    const std::string bytes = first + Pressing(2, {{5, 11, 0}});
    EXPECT_TRUE(Found(bytes).reply.ok);
    EXPECT_EQ(Found(bytes).reply.pressings.size(), 2u);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        if (cut == first.size())
            continue;  // a cut between pressings leaves a whole, shorter reply
        const AccurateRipReply reply = Found(bytes.substr(0, cut)).reply;
        EXPECT_FALSE(reply.ok) << cut;
        EXPECT_FALSE(reply.problem.empty()) << cut;
    }
    EXPECT_FALSE(Found(std::string(13, '\0')).reply.ok);  // a pressing of no tracks
}

TEST(AccurateRipReply, TheBestMatchOfAllPressingsWinsAndAnUncheckedTrackIsNotMatched) {
    // Track 1: v1 in pressing 1 (confidence 2), v2 in pressing 2 (confidence 9).
    // Track 2: nothing matches. Pressing 2 lacks track 2 altogether.
    const auto result =
        Found(Pressing(1, {{2, 0x11, 0}, {4, 0x99, 0}}) + Pressing(2, {{9, 0x12, 0}}));
    TrackVerification first;
    first.checked = true;
    first.sums.arV1 = 0x11;
    first.sums.arV2 = 0x12;
    MatchAccurateRip(result, 1, first);
    EXPECT_EQ(first.resultText, "准确抓取 (可信度 9, v2)");

    TrackVerification second = first;
    MatchAccurateRip(result, 2, second);
    EXPECT_EQ(second.outcome, AccurateRipOutcome::kNotAccurate);
    EXPECT_EQ(second.resultText, "不准确");

    // A slot of confidence 0 is empty whatever CRC it carries.
    TrackVerification empty = first;
    MatchAccurateRip(Found(Pressing(1, {{0, 0x11, 0}, {0, 0, 0}})), 1, empty);
    EXPECT_EQ(empty.resultText, "不在数据库中");

    TrackVerification skipped = first;
    skipped.checked = false;
    skipped.skippedSectors = {100};
    MatchAccurateRip(result, 1, skipped);
    EXPECT_EQ(skipped.outcome, AccurateRipOutcome::kNotChecked);
}

// A reply captured from the database (see tests/data/accuraterip/README.md): 32 pressings
// of 11 tracks, the last four with empty slots (confidence 0, CRC 0), the last two empty
// but for track 11.
TEST(AccurateRipReply, ARealReplyIsReadWholeAndItsEmptySlotsConfirmNothing) {
    const std::string bytes =
        test::ReadFile(std::string(KORVIDA_TEST_DATA_DIR) +
                       "/accuraterip/dBAR-011-0010e284-009228a3-9809ff0b.bin");
    AccurateRipDisc disc;
    disc.audioTracks = 11;
    disc.id1 = 0x0010e284;
    disc.id2 = 0x009228a3;
    disc.freedbId = 0x9809ff0b;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    AccurateRipLookupResult result;
    result.status = AccurateRipLookupResult::Status::kFound;
    result.reply = ParseAccurateRipReply(data, bytes.size(), disc);
    ASSERT_TRUE(result.reply.ok) << result.reply.problem;
    ASSERT_EQ(result.reply.pressings.size(), 32u);
    const AccurateRipPressing& first = result.reply.pressings.front();
    EXPECT_EQ(first.tracks.size(), 11u);
    EXPECT_EQ(first.tracks[0].confidence, 200);
    EXPECT_EQ(first.tracks[0].crc, 0x6062e0eeu);
    EXPECT_EQ(first.tracks[0].frame450, 0x982d46bcu);
    EXPECT_EQ(result.reply.pressings.back().tracks[10].crc, 0xc9375129u);

    const auto match = [&](int track, std::uint32_t v1, std::uint32_t v2) {
        TrackVerification verification;
        verification.checked = true;
        verification.sums.arV1 = v1;
        verification.sums.arV2 = v2;
        MatchAccurateRip(result, track, verification);
        return verification.resultText;
    };
    EXPECT_EQ(match(1, 0x6062e0ee, 0x12345678), "准确抓取 (可信度 200, v1)");
    EXPECT_EQ(match(11, 0x12345678, 0xc9375129), "准确抓取 (可信度 2, v2)");
    EXPECT_EQ(match(1, 0x12345678, 0x9abcdef0), "不准确");
    // Digital silence, as a drive that fails silently returns it, on every track.
    for (int track = 1; track <= 11; ++track)
        EXPECT_EQ(match(track, 0, 0), "无法校验 (全为静音)") << track;

    // A pressing whose header names another disc spoils the whole reply.
    std::vector<AccurateRipDisc> others(4, disc);
    ++others[0].audioTracks;
    ++others[1].id1;
    ++others[2].id2;
    ++others[3].freedbId;
    for (const AccurateRipDisc& other : others) {
        const AccurateRipReply reply = ParseAccurateRipReply(data, bytes.size(), other);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.problem, "第 1 个版本属于另一张光盘: 011-0010e284-009228a3-9809ff0b");
    }
    const std::string mixed = bytes + Pressing(disc.id1, std::vector(11, std::array{1u, 1u, 0u}));
    const AccurateRipReply reply = ParseAccurateRipReply(
        reinterpret_cast<const std::uint8_t*>(mixed.data()), mixed.size(), disc);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.problem, "第 33 个版本属于另一张光盘: 011-0010e284-00000000-00000000");
}

// The offset-finding figure of sector 450, fed in chunks that split the sector, and a track
// that ends before it has none.
TEST(TrackChecksumAccumulator, TakesFrame450AcrossChunks) {
    const std::string pcm = test::Frames(0, 460);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pcm.data());
    std::uint32_t expected = 0;
    for (std::uint32_t k = 0; k < 588; ++k)
        expected += Le32(bytes + 4 * (450 * 588 + k)) * (k + 1);

    TrackChecksumAccumulator chunked({2, 3, 460 * 588});
    for (std::size_t at = 0; at < pcm.size(); at += 7 * 2352 + 4)
        chunked.Feed(bytes + at, std::min<std::size_t>(7 * 2352 + 4, pcm.size() - at));
    TrackVerification verification;
    chunked.Store(verification);
    EXPECT_TRUE(verification.sums.hasFrame450);
    EXPECT_EQ(verification.sums.frame450, expected);

    TrackChecksumAccumulator shorter({2, 3, 450 * 588});
    shorter.Feed(bytes, 450 * 2352);
    shorter.Store(verification);
    EXPECT_FALSE(verification.sums.hasFrame450);
}

// The folding CRC32 against zlib's: every length around the 16- and 64-byte steps, any
// alignment, any running value.
TEST(Crc32, EqualsZlibForEveryLengthAlignmentAndStart) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(5000);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    for (std::size_t length = 0; length < 300; ++length)
        for (std::size_t at : {0u, 1u, 3u})
            for (std::uint32_t start : {0u, 0x9e3779b9u, 0xffffffffu})
                ASSERT_EQ(Crc32(start, bytes.data() + at, length),
                          crc32(start, bytes.data() + at, static_cast<uInt>(length)))
                    << length << " " << at << " " << start;
    EXPECT_EQ(Crc32(0, bytes.data(), bytes.size()), crc32(0, bytes.data(), 5000));
}

}  // namespace
}  // namespace korvida
