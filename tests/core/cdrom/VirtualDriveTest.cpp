// The virtual drive as a player and as a target that refuses what it cannot do.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/LoadCueImage.h"
#include "core/cdrom/ScsiTypes.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

struct Player {
    TempDir dir;
    std::uint64_t now = 1000;
    std::shared_ptr<VirtualDrive> drive;
    std::unique_ptr<DriverOnImage> setup;

    Player() {
        WritePatternBin(dir / "disc.bin", 3000);
        WriteFile(dir / "disc.cue",
                  "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                  " TRACK 02 AUDIO\n  INDEX 00 00:10:00\n  INDEX 01 00:12:00\n"
                  " TRACK 03 MODE1/2352\n  INDEX 01 00:30:00\n");
        DiscImage image;
        std::string error;
        EXPECT_TRUE(LoadCueImage(dir / "disc.cue", image, error)) << error;
        drive = std::make_shared<VirtualDrive>(std::move(image), [this] { return now; });
        setup = std::make_unique<DriverOnImage>(drive, 1);
    }
    CSCSIDriverNative& driver() { return *setup->driver; }

    struct Position {
        std::int32_t relative, absolute;
        std::uint32_t status;
    };
    Position Where() {
        Position p{};
        EXPECT_EQ(driver().GetPosition(&p.relative, &p.absolute, &p.status), 1);
        return p;
    }
};

TEST(VirtualPlayer, PositionAdvancesSeventyFiveFramesASecondAndPauses) {
    Player player;
    EXPECT_EQ(player.Where().status, 0x15u);
    ASSERT_EQ(player.driver().PlayAudio(900, 2250), 1);  // track 2 from INDEX 01

    player.now += 2000;
    auto p = player.Where();
    EXPECT_EQ(p.status, 0x11u);
    EXPECT_EQ(p.absolute, 1050);
    EXPECT_EQ(p.relative, 150);

    ASSERT_EQ(player.driver().Pause(1), 1);
    player.now += 5000;
    p = player.Where();
    EXPECT_EQ(p.status, 0x12u);
    EXPECT_EQ(p.absolute, 1050) << "a paused drive does not move";

    ASSERT_EQ(player.driver().Pause(0), 1);
    player.now += 1000;
    EXPECT_EQ(player.Where().absolute, 1125);

    player.now += 60000;  // past the end of the range
    p = player.Where();
    EXPECT_EQ(p.status, 0x13u);
    EXPECT_EQ(p.absolute, 2250);
    EXPECT_EQ(player.Where().status, 0x15u) << "completion is reported once";
}

TEST(VirtualPlayer, InsideAPregapTheRelativeAddressIsNegative) {
    Player player;
    ASSERT_EQ(player.driver().PlayAudio(750, 2250), 1);  // INDEX 00 of track 2
    player.now += 1000;
    auto p = player.Where();
    EXPECT_EQ(p.absolute, 825);
    EXPECT_EQ(p.relative, -75);

    std::uint8_t reply[48];
    ASSERT_EQ(player.driver().ReadSubChannel(1, reply, sizeof reply, 0), 1);
    EXPECT_EQ(reply[6], 2) << "track number";
    EXPECT_EQ(reply[7], 0) << "index number";
}

TEST(VirtualPlayer, StopEndsPlayAndEjectOpensTheTray) {
    Player player;
    ASSERT_EQ(player.driver().PlayAudio(0, 750), 1);
    ASSERT_EQ(player.driver().Stop(), 1);
    EXPECT_EQ(player.Where().status, 0x15u);
    EXPECT_EQ(player.driver().Pause(0), 0) << "nothing to resume";
    EXPECT_EQ(player.driver().lastSense[12], 0x2C);

    ASSERT_EQ(player.driver().Eject(), 1);
    EXPECT_TRUE(player.drive->TrayOpen());
    std::uint8_t toc[kTocBufferSize];
    EXPECT_EQ(player.driver().ReadTOC(toc, 0), 0);
    EXPECT_EQ(player.driver().lastSense[2] & 0x0F, kSenseNotReady);
    EXPECT_EQ(player.driver().lastSense[12], 0x3A);
}

TEST(VirtualPlayer, RefusesToPlayDataOrPastTheLeadOut) {
    Player player;
    EXPECT_EQ(player.driver().PlayAudio(2250, 2300), 0);
    EXPECT_EQ(player.driver().PlayAudio(100, 3001), 0);
    EXPECT_EQ(player.driver().lastSense[12], 0x21);
    EXPECT_EQ(player.driver().PlayAudio(200, 100), 0) << "a reversed range must not wrap";
}

// Through a sound device the drive's own clock no longer counts: the position is what
// the output has played.
TEST(VirtualPlayer, WithASoundDeviceThePositionIsWhatWasPlayed) {
    Player player;
    player.drive->SetAudioDevice("null");
    ASSERT_EQ(player.driver().PlayAudio(900, 930), 1);
    player.now += 60000;
    ASSERT_EQ(player.driver().Pause(1), 1);
    auto p = player.Where();
    EXPECT_EQ(p.status, 0x12u);
    EXPECT_LT(p.absolute, 930) << "paused well before the end of 30 frames";

    ASSERT_EQ(player.driver().Pause(0), 1);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        p = player.Where();
    } while (p.status == 0x11u && std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(p.status, 0x13u);
    EXPECT_EQ(p.absolute, 930);
    EXPECT_EQ(p.relative, 30);
    EXPECT_EQ(player.Where().status, 0x15u) << "completion is reported once";

    ASSERT_EQ(player.driver().PlayAudio(0, 750), 1);
    ASSERT_EQ(player.driver().Stop(), 1);
    p = player.Where();
    EXPECT_EQ(p.status, 0x15u);
    EXPECT_LT(p.absolute, 750);
}

TEST(VirtualPlayer, ASoundDeviceThatDoesNotOpenLeavesThePlayToTheClock) {
    Player player;
    player.drive->SetAudioDevice("korvida-no-such-device");
    ASSERT_EQ(player.driver().PlayAudio(900, 2250), 1);
    player.now += 2000;
    auto p = player.Where();
    EXPECT_EQ(p.status, 0x11u);
    EXPECT_EQ(p.absolute, 1050);
}

struct Refusal {
    const char* name;
    std::vector<std::uint8_t> cdb;
    DataDirection direction;
    std::size_t bufferSize;
    std::uint8_t asc;  // expected additional sense code (ILLEGAL REQUEST)
};

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, WithIllegalRequestAndNothingWritten) {
    Player player;
    const Refusal& r = GetParam();
    std::vector<std::uint8_t> buffer(r.bufferSize + 64, 0xC5);
    ScsiRequest request;
    request.cdb = r.cdb.data();
    request.cdbLength = r.cdb.size();
    request.direction = r.direction;
    request.data = buffer.data();
    request.dataLength = r.bufferSize;
    ScsiReply reply = player.drive->Execute(request);
    EXPECT_EQ(reply.status, kScsiStatusCheckCondition);
    EXPECT_EQ(reply.sense[2], kSenseIllegalRequest);
    EXPECT_EQ(reply.sense[12], r.asc);
    EXPECT_EQ(reply.transferred, 0u);
    for (std::uint8_t b : buffer)
        ASSERT_EQ(b, 0xC5);
}

using B = std::vector<std::uint8_t>;
INSTANTIATE_TEST_SUITE_P(
    Commands, Refused,
    ::testing::Values(
        Refusal{"UnknownOpcode", B{0x46, 0, 0, 0, 0, 0, 0, 0, 100, 0},
                DataDirection::kFromDevice, 100, 0x20},
        Refusal{"ReadCdInATenByteCdb", B{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0x10},
                DataDirection::kFromDevice, 2352, 0x24},
        Refusal{"ReadIntoTooSmallABuffer", B{0xBE, 0, 0, 0, 0, 0, 0, 0, 26, 0x10, 0, 0},
                DataDirection::kFromDevice, 26 * 2352 - 1, 0x24},
        Refusal{"TocIntoTooSmallABuffer", B{0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0},
                DataDirection::kFromDevice, 100, 0x24},
        Refusal{"DataTheWrongWay", B{0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0},
                DataDirection::kToDevice, 804, 0x24},
        Refusal{"ReadPastTheLeadOut", B{0x28, 0, 0, 0, 0x0B, 0xB0, 0, 0, 26, 0},
                DataDirection::kFromDevice, 26 * 2352, 0x21},
        Refusal{"AudioOnlyReadOfADataTrack", B{0xBE, 0x04, 0, 0, 0x09, 0x00, 0, 0, 1, 0x10, 0, 0},
                DataDirection::kFromDevice, 2352, 0x64},
        Refusal{"SubChannelDataWanted", B{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0x10, 0x01, 0},
                DataDirection::kFromDevice, 2448, 0x24},
        Refusal{"TocOfATrackPastTheLast", B{0x43, 0, 0, 0, 0, 0, 9, 0x03, 0x24, 0},
                DataDirection::kFromDevice, 804, 0x24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualReads, DataSectorsGiveTheirUserDataToReadCd) {
    Player player;
    std::uint8_t buffer[2 * kMode1UserSize];
    Cdb cdb = MakeReadAudioCdb(0, 0, 2260, 2);
    ScsiRequest request{cdb.data(), cdb.length, DataDirection::kFromDevice, buffer, sizeof buffer};
    ScsiReply reply = player.drive->Execute(request);
    ASSERT_TRUE(reply.Succeeded());
    EXPECT_EQ(reply.transferred, sizeof buffer);
    EXPECT_EQ(buffer[0], PatternByte(2260, kMode1UserOffset));
    EXPECT_EQ(buffer[kMode1UserSize], PatternByte(2261, kMode1UserOffset));
}

}  // namespace
}  // namespace korvida::test
