#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/freedb/FreedbCommands.h"
#include "core/freedb/FreedbDiscId.h"

namespace korvida {
namespace {

using Toc = std::array<std::uint8_t, kTocResponseSize>;

// A READ TOC response in MSF form for tracks starting at the given MSF frame addresses
// (LBA + 150), the last address being the lead-out.
Toc MsfToc(int first, const std::vector<int>& addresses) {
    Toc toc{};
    const int last = first + static_cast<int>(addresses.size()) - 2;
    toc[2] = static_cast<std::uint8_t>(first);
    toc[3] = static_cast<std::uint8_t>(last);
    for (std::size_t k = 0; k < addresses.size(); ++k) {
        std::uint8_t* d = toc.data() + 4 + 8 * k;
        d[2] = static_cast<std::uint8_t>(k + 1 < addresses.size() ? first + k : 0xAA);
        d[5] = static_cast<std::uint8_t>(addresses[k] / 4500);
        d[6] = static_cast<std::uint8_t>(addresses[k] / 75 % 60);
        d[7] = static_cast<std::uint8_t>(addresses[k] % 75);
    }
    return toc;
}

TEST(FreedbDiscId, ExampleDiscGivesIdAndQueryBody) {
    // 00:02:00, 03:10:00, 07:00:30, lead-out 10:00:00.
    const Toc toc = MsfToc(1, {150, 14250, 31530, 45000});
    FreedbTocSummary summary{};
    ASSERT_TRUE(ComputeFreedbDiscId(toc, summary));
    EXPECT_EQ(FreedbDiscId(summary), 0x12025603u);
    EXPECT_EQ(summary[1], 3);
    EXPECT_EQ(summary[2], 150);
    EXPECT_EQ(summary[3], 14250);
    EXPECT_EQ(summary[4], 31530);
    EXPECT_EQ(summary[5], 600);

    EXPECT_EQ(BuildQueryCommand(summary, "me@example.net"),
              "cmd=cddb+query+12025603+3+150+14250+31530+600"
              "&hello=me+example.net+Korvida+3.0&proto=6\r\n");
}

TEST(FreedbDiscId, TopByteZeroKeepsEightDigits) {
    // One track at 00:00:32: its second count 0 has digit sum 0.
    const Toc toc = MsfToc(1, {32, 4500});
    FreedbTocSummary summary{};
    ASSERT_TRUE(ComputeFreedbDiscId(toc, summary));
    EXPECT_EQ(FreedbDiscId(summary), 0x00003c01u);
    const std::string command = BuildQueryCommand(summary, "a@b.c");
    EXPECT_EQ(command.rfind("cmd=cddb+query+00003c01+1+32+60&", 0), 0u) << command;
}

TEST(FreedbDiscId, HeaderWithoutTracksOrTooManyIsRefused) {
    Toc toc{};
    toc[2] = 5;
    toc[3] = 4;  // last before first
    FreedbTocSummary summary{};
    summary[0] = 77;
    EXPECT_FALSE(ComputeFreedbDiscId(toc, summary));
    EXPECT_EQ(summary[0], 0);
    toc[2] = 0;
    toc[3] = 99;  // 100 tracks leave no slot for the lead-out
    EXPECT_FALSE(ComputeFreedbDiscId(toc, summary));
}

// The disc id against an independent implementation, for TOCs of different shapes.
struct OracleCase {
    const char* name;
    int first;
    std::vector<int> addresses;  // MSF frame addresses, lead-out last
};

class FreedbDiscIdOracle : public ::testing::TestWithParam<OracleCase> {};

std::string OracleId(const OracleCase& c) {
    std::string offsets;
    for (std::size_t k = 0; k + 1 < c.addresses.size(); ++k)
        offsets += (k ? "," : "") + std::to_string(c.addresses[k]);
    const int last = c.first + static_cast<int>(c.addresses.size()) - 2;
    const std::string command = "/usr/bin/python3 -c 'import libdiscid; print(libdiscid.put(" +
                                std::to_string(c.first) + "," + std::to_string(last) + "," +
                                std::to_string(c.addresses.back()) + ",[" + offsets +
                                "]).freedb_id)' 2>/dev/null";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[64];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        ::pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

TEST_P(FreedbDiscIdOracle, MatchesLibdiscid) {
    const OracleCase& c = GetParam();
    const std::string expected = OracleId(c);
    if (expected.empty())
        GTEST_SKIP() << "python3-libdiscid not available";
    FreedbTocSummary summary{};
    ASSERT_TRUE(ComputeFreedbDiscId(MsfToc(c.first, c.addresses), summary));
    char id[16];
    std::snprintf(id, sizeof id, "%08x", FreedbDiscId(summary));
    EXPECT_EQ(id, expected);
}

std::vector<int> ManyTracks(int count) {
    std::vector<int> addresses;
    for (int k = 0; k <= count; ++k)
        addresses.push_back(150 + k * 3333 + k * k);
    return addresses;
}

INSTANTIATE_TEST_SUITE_P(
    Tocs, FreedbDiscIdOracle,
    ::testing::Values(OracleCase{"example", 1, {150, 14250, 31530, 45000}},
                      OracleCase{"four", 1, {150, 20150, 40150, 60150, 80150}},
                      OracleCase{"dataTrackGap", 1, {182, 17000, 33333, 51234, 70000}},
                      OracleCase{"single", 1, {150, 333000}},
                      OracleCase{"ninetyNine", 1, ManyTracks(99)},
                      OracleCase{"longDisc", 1, {150, 160000, 359849}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreedbDiscId, LbaTocConvertsToTheDrivesMsfForm) {
    Toc lba{};
    lba[2] = 1;
    lba[3] = 2;
    const std::uint32_t addresses[] = {0, 14100, 44850};
    for (int k = 0; k < 3; ++k) {
        std::uint8_t* d = lba.data() + 4 + 8 * k;
        d[4] = static_cast<std::uint8_t>(addresses[k] >> 24);
        d[5] = static_cast<std::uint8_t>(addresses[k] >> 16);
        d[6] = static_cast<std::uint8_t>(addresses[k] >> 8);
        d[7] = static_cast<std::uint8_t>(addresses[k]);
    }
    const Toc msf = LbaTocToMsfToc(lba);
    const Toc expected = MsfToc(1, {150, 14250, 45000});
    for (int k = 0; k < 3; ++k) {
        for (int b = 5; b < 8; ++b)
            EXPECT_EQ(msf[4 + 8 * k + b], expected[4 + 8 * k + b]);
    }
    EXPECT_EQ(msf[3], 2);
    std::uint32_t id = 0;
    ASSERT_TRUE(FreedbDiscIdOfLbaToc(lba, id));
    EXPECT_EQ(id, 0x0c025602u);  // python3-libdiscid: put(1, 2, 45000, [150, 14250])
}

TEST(FreedbCommands, ReadCommandAndPlusEncoding) {
    EXPECT_EQ(BuildReadCommand("rock", "7a0b5c09", "me@example.net"),
              "cmd=cddb+read+rock+7a0b5c09&hello=me+example.net+Korvida+3.0&proto=6\r\n");
    std::string text = "@a b@c ";
    PlusEncode(text);
    EXPECT_EQ(text, "@a+b+c+");  // the first character is left alone
}

}  // namespace
}  // namespace korvida
