// The bytes every operation puts on the wire, checked where the drive receives them.
#include <gtest/gtest.h>

#include <functional>

#include "core/cdrom/ScsiTypes.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

// Track 2 starts 5 frames before LBA 0x12345 behind a long PREGAP, so that reads at that
// address return stored frames without a 175 MB image.
constexpr std::uint32_t kTrack2Start = 0x12345 - 5;

std::shared_ptr<VirtualDrive> FarImage(const TempDir& dir) {
    WritePatternBin(dir / "disc.bin", 100);
    return LoadDrive(dir.path(),
                     "FILE \"disc.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                     "  TRACK 02 AUDIO\n    PREGAP 16:33:70\n    INDEX 01 00:00:15\n");
}

struct ReadVector {
    int deviceType;
    const char* cdb;
};

class ReadAudioCdb : public ::testing::TestWithParam<ReadVector> {};

TEST_P(ReadAudioCdb, SendsTheDriveTypesCommandAndDeliversTheFrames) {
    TempDir dir;
    auto drive = FarImage(dir);
    ASSERT_EQ(drive->image().tracks[1].startLba, kTrack2Start);
    drive->identity().lun = 1;
    DriverOnImage setup(drive, 5, GetParam().deviceType);
    drive->SetRecording(true);

    std::vector<std::uint8_t> buffer(26 * kRawSectorSize + 16, 0xEE);
    AudioReadRequest request;
    request.startLba = 0x12345;
    request.sectorCount = 26;
    request.byteLength = 26 * kRawSectorSize;
    request.buffer = buffer.data();
    ASSERT_EQ(setup.driver->ReadAudio(request), 1) << setup.driver->LastErrorText();

    auto commands = drive->RecordedCommands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(Hex(commands[0]), GetParam().cdb);
    EXPECT_EQ(request.byteLength, 61152u);
    // LBA 0x12345 is file frame 20: five frames into track 2, which starts at frame 15.
    for (std::uint32_t f = 0; f < 26; ++f) {
        for (std::uint32_t i = 0; i < kRawSectorSize; i += 97) {
            ASSERT_EQ(buffer[f * kRawSectorSize + i], PatternByte(20 + f, i)) << f << "/" << i;
        }
    }
    EXPECT_EQ(buffer[26 * kRawSectorSize], 0xEE) << "wrote past the request";
}

INSTANTIATE_TEST_SUITE_P(
    AllDriveTypes, ReadAudioCdb,
    ::testing::Values(ReadVector{0, "BE 20 00 01 23 45 00 00 1A 10 00 00"},
                      ReadVector{1, "28 20 00 01 23 45 00 00 1A 00"},
                      ReadVector{3, "D4 20 00 01 23 45 00 00 1A 00"},
                      ReadVector{9, "D8 20 00 01 23 45 00 00 00 1A 00 00"},
                      ReadVector{11, "28 20 00 01 23 45 00 00 1A 00"},
                      // A stored type outside 0-11 must not pick a command at random.
                      ReadVector{42, "BE 20 00 01 23 45 00 00 1A 10 00 00"}));

struct OperationVector {
    const char* name;
    std::function<void(CSCSIDriver&)> call;
    const char* cdb;
};

class OperationCdb : public ::testing::TestWithParam<OperationVector> {};

TEST_P(OperationCdb, SendsExactlyTheseBytes) {
    TempDir dir;
    auto drive = FarImage(dir);
    drive->identity().lun = 1;
    DriverOnImage setup(drive, 1);
    drive->SetRecording(true);
    GetParam().call(*setup.driver);
    auto commands = drive->RecordedCommands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(Hex(commands.back()), GetParam().cdb);
}

std::uint8_t toc[kTocBufferSize];
std::uint8_t sub[48];

INSTANTIATE_TEST_SUITE_P(
    CommandSet, OperationCdb,
    ::testing::Values(
        OperationVector{"Play150To16000", [](CSCSIDriver& d) { d.PlayAudio(150, 16000); },
                        "A5 00 00 00 00 96 00 00 3D EA 00 00"},
        OperationVector{"PauseFlag1", [](CSCSIDriver& d) { d.Pause(1); },
                        "4B 20 00 00 00 00 00 00 00 00"},
        OperationVector{"PauseFlag0Resumes", [](CSCSIDriver& d) { d.Pause(0); },
                        "4B 20 00 00 00 00 00 00 01 00"},
        OperationVector{"TocMsf", [](CSCSIDriver& d) { d.ReadTOC(toc, 1); },
                        "43 02 00 00 00 00 00 03 24 00"},
        OperationVector{"TocLba", [](CSCSIDriver& d) { d.ReadTOC(toc, 0); },
                        "43 00 00 00 00 00 00 03 24 00"},
        OperationVector{"Stop", [](CSCSIDriver& d) { d.Stop(); }, "1B 00 00 00 00 00"},
        OperationVector{"Eject", [](CSCSIDriver& d) { d.Eject(); }, "1B 00 00 00 02 00"},
        OperationVector{"GetPosition",
                        [](CSCSIDriver& d) {
                            std::int32_t r, a;
                            std::uint32_t s;
                            d.GetPosition(&r, &a, &s);
                        },
                        "42 20 40 01 00 00 00 00 30 00"},
        OperationVector{"SubChannelFormat3NoSubQ",
                        [](CSCSIDriver& d) { d.ReadSubChannel(3, sub, 24, 2); },
                        "42 20 00 03 00 00 02 00 18 00"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvida::test
