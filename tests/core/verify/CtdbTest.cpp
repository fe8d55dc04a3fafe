// The CTDB id, the reply, the figures (pieced from their windows, at shifts) and the match,
// with a loopback server for the lookup. The ids' expected values are the cdtoc crate's
// documented test vectors, computed by another implementation.
#include <gtest/gtest.h>

#include <zlib.h>

#include <array>
#include <random>

#include "core/disc/DiscInfo.h"
#include "core/platform/ByteOrder.h"
#include "core/settings/Settings.h"
#include "core/verify/CtdbChecksums.h"
#include "core/verify/CtdbDisc.h"
#include "core/verify/CtdbLookup.h"
#include "core/verify/CtdbReply.h"
#include "core/verify/MatchCtdb.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

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

TEST(CtdbDisc, IdsAndLookupTocsOfKnownDiscs) {
    const auto four = LbaToc({0, 11413, 25024, 45713}, 55220);
    const CtdbDisc disc = CtdbDiscOf(four.data());
    ASSERT_TRUE(disc.ok);
    EXPECT_EQ(disc.id, "VukMWWItblELRM.CEFpXxw0FlME-");
    EXPECT_EQ(CtdbLookupUrl("db.example", disc),
              "http://db.example/lookup2.php?version=3&ctdb=1&fuzzy=1&toc=0:11413:25024:45713:"
              "55220");
    // The first track later than LBA 0, and a disc with audio before track 1.
    EXPECT_EQ(CtdbTocId({32, 21180, 25110, 39232, 57730, 76330, 79185, 82515, 96282, 105612, 110650,
                         124772, 141292, 149317, 159710, 172327},
                        180325),
              "iL4EZ56YD5WmG..M4v5qzPG0cFY-");
    // An enhanced CD: the data track's "-" in the lookup, the audio's end in the id.
    const std::vector<std::uint32_t> extra = {
        32,     15437,  31705,  45607,  58345,  70022,  88015,  95562,  110147,
        123075, 133987, 144742, 153945, 164312, 170700, 191697, 200987, 211157,
        223797, 233685, 244447, 251252, 264720, 270952, 297682};
    std::vector<bool> data(extra.size(), false);
    data.back() = true;
    const auto enhanced = LbaToc(extra, 320565, data);
    const CtdbDisc cdExtra = CtdbDiscOf(enhanced.data());
    EXPECT_EQ(cdExtra.id, "sBOUSHYC0oLdQZtAEQcmnc3V3Ak-");
    EXPECT_NE(cdExtra.tocParameter.find(":270952:-297682:320565"), std::string::npos);
}

TEST(CtdbReply, EntriesAreReadAndBrokenRepliesConfirmNothing) {
    const std::string good =
        R"(<?xml version="1.0"?><ctdb xmlns="http://db.cuetools.net/ns/mmd-1.0#">)"
        R"(<entry confidence="7" crc32="0x1a2b3c4d" id="12" npar="8" stride="5880" )"
        R"(toc="0:100:200" trackcrcs="00000001 ffffffff"/><metadata album="x"/></ctdb>)";
    const auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    auto body = bytes(good);
    CtdbReply reply = ParseCtdbReply(body.data(), body.size());
    ASSERT_TRUE(reply.ok) << reply.problem;
    ASSERT_EQ(reply.entries.size(), 1u);
    EXPECT_EQ(reply.entries[0].confidence, 7);
    EXPECT_EQ(reply.entries[0].crc32, 0x1a2b3c4du);
    EXPECT_EQ(reply.entries[0].trackCrcs, (std::vector<std::uint32_t>{1, 0xffffffff}));
    for (const std::string& bad :
         {std::string("<html>busy</html>"), std::string("\x89PNG garbage"),
          std::string("<ctdb><entry confidence=\"x\" crc32=\"1\" trackcrcs=\"1\"/></ctdb>"),
          std::string("<ctdb><entry confidence=\"1\" crc32=\"123456789\" trackcrcs=\"1\"/></ctdb>"),
          std::string("<ctdb><entry confidence=\"1\" crc32=\"1\" trackcrcs=\"1 zz\"/></ctdb>"),
          std::string("<ctdb><entry confidence=\"1\"")}) {
        body = bytes(bad);
        reply = ParseCtdbReply(body.data(), body.size());
        EXPECT_FALSE(reply.ok) << bad;
        EXPECT_TRUE(reply.entries.empty());
    }
}

// A disc of three tracks of noise, and the same disc read `shift` samples late.
struct Disc {
    static constexpr std::uint32_t kSectors[3] = {1200, 900, 1300};
    std::vector<std::uint8_t> pcm;  // every track's audio, plus room to shift either way
    std::size_t margin = 4 * 3000;
    std::uint32_t endLba = 3400;

    Disc() {
        std::mt19937 random(7);
        pcm.resize(std::size_t{endLba} * 2352 + 2 * margin);
        for (auto& byte : pcm)
            byte = static_cast<std::uint8_t>(random());
    }
    // The rip's tracks' figures when it holds the disc's samples from `shift` on.
    std::vector<TrackChecksums> Rip(int shift, std::size_t chunk = 13 * 2352) const {
        std::vector<TrackChecksums> sums;
        std::size_t at = margin + static_cast<std::size_t>(4 * shift);
        for (int t = 0; t < 3; ++t) {
            AccurateRipPosition position{t + 1, 3, std::uint64_t{kSectors[t]} * 588,
                                         t == 2 ? CtdbTailSkip(endLba) : 0};
            TrackChecksumAccumulator accumulator(position, true);
            const std::size_t end = at + std::size_t{kSectors[t]} * 2352;
            for (; at < end; at += std::min(chunk, end - at))
                accumulator.Feed(pcm.data() + at, std::min(chunk, end - at));
            TrackVerification verification;
            accumulator.Store(verification);
            EXPECT_TRUE(verification.sums.hasCtdb);
            sums.push_back(verification.sums);
        }
        return sums;
    }
    std::uint32_t Crc(std::size_t fromSample, std::size_t toSample) const {
        return static_cast<std::uint32_t>(crc32(0, pcm.data() + margin + 4 * fromSample,
                                                static_cast<uInt>(4 * (toSample - fromSample))));
    }
};

TEST(CtdbChecksums, FiguresLeaveOutTheEdgesAndFollowAShift) {
    const Disc disc;
    const std::uint64_t tailSkip = CtdbTailSkip(disc.endLba);
    EXPECT_EQ(tailSkip, 5880u + 3400u * 588 % 5880);
    const std::size_t total = 3400 * 588;
    const std::size_t start2 = 1200 * 588, start3 = 2100 * 588;
    for (const int shift : {0, 667, -1164}) {
        const auto rip = disc.Rip(shift, shift == 0 ? 4096 : 13 * 2352);
        const CtdbTracks tracks = {&rip[0], &rip[1], &rip[2]};
        const auto at = [&](std::size_t sample) {
            return static_cast<std::size_t>(static_cast<long>(sample) + shift);
        };
        // The rip's own figures are those of the audio it holds.
        EXPECT_EQ(rip[0].ctdb, disc.Crc(at(5880), at(start2)));
        EXPECT_EQ(rip[1].ctdb, disc.Crc(at(start2), at(start3)));
        EXPECT_EQ(rip[2].ctdb, disc.Crc(at(start3), at(total - tailSkip)));
        // Read back by the shift, the figures are the disc's.
        EXPECT_EQ(CtdbDiscCrc(tracks, -shift, tailSkip), disc.Crc(5880, total - tailSkip));
        EXPECT_EQ(CtdbTrackCrc(tracks, 0, -shift, tailSkip), disc.Crc(5880, start2));
        EXPECT_EQ(CtdbTrackCrc(tracks, 1, -shift, tailSkip), disc.Crc(start2, start3));
        EXPECT_EQ(CtdbTrackCrc(tracks, 2, -shift, tailSkip), disc.Crc(start3, total - tailSkip));
    }
    // Beyond the windows there is no figure rather than a wrong one.
    const auto rip = disc.Rip(0);
    EXPECT_FALSE(CtdbDiscCrc({&rip[0], &rip[1], &rip[2]}, kCtdbMaxShift + 1, tailSkip));
    EXPECT_FALSE(CtdbDiscCrc({&rip[0], nullptr, &rip[2]}, 0, tailSkip));
}

CtdbLookupResult Found(std::vector<CtdbEntry> entries) {
    CtdbLookupResult result;
    result.status = CtdbLookupResult::Status::kFound;
    result.reply.ok = true;
    result.reply.entries = std::move(entries);
    return result;
}

TEST(MatchCtdb, ConfidenceDifferencesAndAShiftedRip) {
    const Disc disc;
    const std::uint64_t tailSkip = CtdbTailSkip(disc.endLba);
    const auto truth = disc.Rip(0);
    const CtdbEntry right{5,
                          *CtdbDiscCrc({&truth[0], &truth[1], &truth[2]}, 0, tailSkip),
                          {truth[0].ctdb, truth[1].ctdb, truth[2].ctdb}};
    CtdbEntry other{2, 0x1234, {truth[0].ctdb, 0x99, truth[2].ctdb}};
    CtdbEntry fuzzy{9, 0x5678, {1, 2}};  // another pressing's track count: left aside

    for (const int shift : {0, 667}) {
        std::vector<TrackVerification> tracks(3);
        const auto rip = disc.Rip(shift);
        for (int t = 0; t < 3; ++t) {
            tracks[t].checked = true;
            tracks[t].sums = rip[t];
        }
        const CtdbDiscVerdict verdict =
            MatchCtdb(Found({right, other, fuzzy}), {&tracks[0], &tracks[1], &tracks[2]}, tailSkip);
        EXPECT_TRUE(verdict.shiftFound);
        EXPECT_EQ(verdict.shift, -shift);
        EXPECT_EQ(tracks[0].ctdbOutcome, CtdbOutcome::kAccurate);
        EXPECT_EQ(tracks[0].ctdbConfidence, 7);
        EXPECT_EQ(tracks[1].ctdbConfidence, 5);
        EXPECT_EQ(tracks[1].ctdbTotal, 7);
        EXPECT_EQ(tracks[1].ctdbText,
                  shift == 0 ? "准确 (可信度 5/7)" : "准确 (可信度 5/7, 与数据库相差 -667 个采样)");
    }

    // One changed sample: that track differs, the others stand.
    std::vector<TrackVerification> tracks(3);
    auto rip = disc.Rip(0);
    for (int t = 0; t < 3; ++t) {
        tracks[t].checked = true;
        tracks[t].sums = rip[t];
    }
    tracks[1].sums.ctdb ^= 1;
    MatchCtdb(Found({right}), {&tracks[0], &tracks[1], &tracks[2]}, tailSkip);
    EXPECT_EQ(tracks[0].ctdbOutcome, CtdbOutcome::kAccurate);
    EXPECT_EQ(tracks[1].ctdbText, "有差异");
    // No entry of this track count, and a lookup that failed.
    MatchCtdb(Found({fuzzy}), {&tracks[0], &tracks[1], &tracks[2]}, tailSkip);
    EXPECT_EQ(tracks[0].ctdbText, "不在数据库中");
    CtdbLookupResult failed;
    failed.status = CtdbLookupResult::Status::kFailed;
    MatchCtdb(failed, {&tracks[0], nullptr, &tracks[2]}, tailSkip);
    EXPECT_EQ(tracks[2].ctdbText, "查询失败");
}

TEST(CtdbLookup, LoopbackServerRepliesBecomeStatuses) {
    test::HttpTestServer server;
    Settings settings;
    settings.CtdbServer = server.BaseUrl();
    const auto four = LbaToc({0, 11413, 25024, 45713}, 55220);
    const CtdbDisc disc = CtdbDiscOf(four.data());
    using Status = CtdbLookupResult::Status;

    server.Answer("/lookup2.php", 200,
                  R"(<ctdb><entry confidence="3" crc32="0000beef" trackcrcs="1 2 3 4"/></ctdb>)",
                  "text/xml");
    CtdbLookupResult result = CtdbLookup::Run(disc, settings, nullptr);
    EXPECT_EQ(result.status, Status::kFound);
    ASSERT_EQ(result.reply.entries.size(), 1u);
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    EXPECT_EQ(server.Requests()[0].target,
              "/lookup2.php?version=3&ctdb=1&fuzzy=1&toc=0:11413:25024:45713:55220");

    server.Answer("/lookup2.php", 404, "", "text/plain");
    EXPECT_EQ(CtdbLookup::Run(disc, settings, nullptr).status, Status::kNotInDatabase);
    server.Answer("/lookup2.php", 200, "\x01\x02 not xml <<<", "text/xml");
    result = CtdbLookup::Run(disc, settings, nullptr);
    EXPECT_EQ(result.status, Status::kUnreadable);
    EXPECT_NE(CtdbLookupLogLine(result, disc.id).find("无法解读"), std::string::npos);
    server.Answer("/lookup2.php", 500, "", "text/plain");
    EXPECT_EQ(CtdbLookup::Run(disc, settings, nullptr).status, Status::kFailed);

    // Started on its own thread; with the lookup turned off nothing is sent.
    settings.CtdbLookup = 0;
    CtdbLookup off;
    off.Start(disc, settings);
    EXPECT_EQ(off.Finish(1000).status, Status::kOff);
}

}  // namespace
}  // namespace korvida
