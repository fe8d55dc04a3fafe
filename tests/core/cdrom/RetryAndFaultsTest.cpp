// Attempt counts, time-outs and read faults, through the virtual drive's fault injection.
#include <gtest/gtest.h>

#include <functional>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/ScsiTypes.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

std::shared_ptr<VirtualDrive> SmallDisc(const TempDir& dir) {
    WritePatternBin(dir / "disc.bin", 300);
    return LoadDrive(dir.path(),
                     "FILE \"disc.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                     "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n");
}

struct Reader {
    std::vector<std::uint8_t> buffer;
    AudioReadRequest request;
    Reader(std::uint32_t lba, std::uint32_t count) : buffer(count * kRawSectorSize) {
        request.startLba = lba;
        request.sectorCount = count;
        request.byteLength = count * kRawSectorSize;
        request.buffer = buffer.data();
    }
    bool Matches() const {
        for (std::uint32_t f = 0; f < request.sectorCount; ++f) {
            for (std::uint32_t i = 0; i < kRawSectorSize; i += 131) {
                if (buffer[f * kRawSectorSize + i] != PatternByte(request.startLba + f, i))
                    return false;
            }
        }
        return true;
    }
};

struct HungOperation {
    const char* name;
    std::uint8_t opcode;
    std::function<int(CSCSIDriver&)> call;
};

class DriveThatNeverAnswers : public ::testing::TestWithParam<HungOperation> {};

TEST_P(DriveThatNeverAnswers, GetsExactlyRetryTimesAttemptsOfAtMostFiveSecondsEach) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 3);
    drive->faults().delayMs[GetParam().opcode] = VirtualDrive::kNeverAnswers;
    drive->faults().sleepForDelays = false;
    std::size_t before = drive->CommandCount();

    EXPECT_EQ(GetParam().call(*setup.driver), 0);
    EXPECT_EQ(drive->CommandCount() - before, 3u);
    EXPECT_EQ(drive->WaitedMs(), 3u * kCommandTimeoutMs);
    EXPECT_NE(setup.driver->LastErrorText().find("5 秒内没有应答"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Operations, DriveThatNeverAnswers,
                         ::testing::Values(HungOperation{"ReadTOC", opcode::kReadToc,
                                                         [](CSCSIDriver& d) {
                                                             std::uint8_t toc[kTocBufferSize];
                                                             return d.ReadTOC(toc, 0);
                                                         }},
                                           HungOperation{"ReadAudio", opcode::kReadCd,
                                                         [](CSCSIDriver& d) {
                                                             Reader reader(0, 26);
                                                             return d.ReadAudio(reader.request);
                                                         }},
                                           HungOperation{"Stop", opcode::kStartStopUnit,
                                                         [](CSCSIDriver& d) { return d.Stop(); }},
                                           HungOperation{
                                               "PlayAudio", opcode::kPlayAudio12,
                                               [](CSCSIDriver& d) { return d.PlayAudio(0, 150); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RetryTimes, ZeroOrNegativeMeansFive) {
    for (int setting : {0, -2}) {
        TempDir dir;
        auto drive = SmallDisc(dir);
        DriverOnImage setup(drive, setting);
        EXPECT_EQ(setup.driver->RetryTimes(), 5);
        drive->faults().rejectedOpcodes.insert(opcode::kReadToc);
        std::size_t before = drive->CommandCount();
        std::uint8_t toc[kTocBufferSize];
        EXPECT_EQ(setup.driver->ReadTOC(toc, 0), 0);
        EXPECT_EQ(drive->CommandCount() - before, 5u);
    }
}

TEST(RetryTimes, StopsAtTheFirstGoodAttempt) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 5);
    drive->faults().transientReadFailures = 2;
    drive->SetRecording(true);
    Reader reader(40, 26);
    ASSERT_EQ(setup.driver->ReadAudio(reader.request), 1);
    // Three reads; before each retry a FUA read keeps the drive's cache out of it.
    std::vector<std::string> sent;
    for (const auto& cdb : drive->RecordedCommands())
        sent.push_back(Hex(cdb).substr(0, 5));
    EXPECT_EQ(sent, (std::vector<std::string>{"BE 00", "28 08", "BE 00", "28 08", "BE 00"}));
    EXPECT_TRUE(reader.Matches());
}

TEST(RetryTimes, AScratchThatOutlastsTheAttemptsFails) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 3);
    drive->faults().transientReadFailures = 3;
    Reader reader(40, 26);
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 0);
    EXPECT_EQ(drive->faults().transientReadFailures, 0);
    // The next read finds the drive healthy again.
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 1);
}

TEST(ReadFaults, AnUnreadableFrameFailsTheReadAndLeavesItsSense) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 2);
    drive->faults().unreadable.push_back({100, 3});

    Reader across(90, 26);
    EXPECT_EQ(setup.driver->ReadAudio(across.request), 0);
    const auto& sense = setup.driver->lastSense;
    EXPECT_EQ(sense[2] & 0x0F, kSenseMediumError);
    EXPECT_EQ(sense[12], 0x11);  // unrecovered read error
    EXPECT_EQ(sense[14], 0) << "only 14 sense bytes are kept";
    EXPECT_NE(setup.driver->LastErrorText().find("位于 LBA 100"), std::string::npos)
        << setup.driver->LastErrorText();

    Reader before(74, 26);
    EXPECT_EQ(setup.driver->ReadAudio(before.request), 1);
    EXPECT_TRUE(before.Matches());
    Reader after(103, 26);
    EXPECT_EQ(setup.driver->ReadAudio(after.request), 1);
    EXPECT_TRUE(after.Matches());
}

TEST(ReadFaults, ADriveWithoutReadCdWorksOnceTheDriveTypeIsChanged) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 2, 0);
    drive->faults().rejectedOpcodes.insert(opcode::kReadCd);

    Reader reader(10, 26);
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 0);
    EXPECT_EQ(setup.driver->lastSense[2] & 0x0F, kSenseIllegalRequest);
    EXPECT_EQ(setup.driver->lastSense[12], 0x20);

    // The options page changes the drive type; the same driver uses it at the next read.
    setup.driver->SetDeviceType(1);
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 1);
    EXPECT_TRUE(reader.Matches());
}

TEST(ReadFaults, ASlowButTimelyDriveSucceeds) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 1);
    drive->faults().delayMs[opcode::kReadCd] = 30;  // slept for real
    Reader reader(0, 26);
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 1);
    EXPECT_EQ(drive->WaitedMs(), 30u);
}

TEST(ReadFaults, AReadRequestWhoseLengthDisagreesIsNotSent) {
    TempDir dir;
    auto drive = SmallDisc(dir);
    DriverOnImage setup(drive, 1);
    std::size_t before = drive->CommandCount();
    Reader reader(0, 26);
    reader.request.byteLength = 10 * kRawSectorSize;  // buffer for 10, asks for 26
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 0);
    reader.request.byteLength = 26 * kRawSectorSize;
    reader.request.buffer = nullptr;
    EXPECT_EQ(setup.driver->ReadAudio(reader.request), 0);
    EXPECT_EQ(drive->CommandCount(), before);
}

}  // namespace
}  // namespace korvida::test
