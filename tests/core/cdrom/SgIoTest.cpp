// The pass-through transport without hardware: a fake kernel answers SG_IO from a
// virtual drive and lets each test spoil the answer the way real drivers do.
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/DriveSelection.h"
#include "core/cdrom/ScsiTypes.h"
#include "support/DiscImage.h"
#include "support/FakeSgIoKernel.h"
#include "support/RecordingNotifier.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

// The fake kernel with one drive: a single audio track of 300 pattern frames.
struct FakeKernel : FakeSgIoKernel {
    explicit FakeKernel(std::vector<std::string> names) : FakeSgIoKernel(names) {
        WritePatternBin(root / "disc.bin", 300);
        drive = LoadDrive(root.path(),
                          "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    }
};

struct NativeOnFake {
    Settings settings;
    std::unique_ptr<CSCSIDriverNative> driver;
    NativeOnFake(FakeKernel& kernel, int retryTimes, int requested = 0,
                 std::vector<std::string> images = {}) {
        settings.RetryTimes = retryTimes;
        DriveSources sources;
        sources.system = kernel.System();
        sources.images = std::move(images);
        driver =
            std::make_unique<CSCSIDriverNative>(DriverOptionsFrom(settings), std::move(sources));
        result = driver->Init(requested);
    }
    int result;
};

TEST(SgIoDiscovery, FindsAtMostEightDevicesInNumericOrder) {
    FakeKernel kernel({"sr10", "sr2", "sda", "sr0", "sr1", "sr3", "sr4", "sr5", "sr6", "sr7", "sr8",
                       "srx", "loop0"});
    std::vector<std::string> paths = FindCdromDevicePaths(kernel.System());
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/sr0", "/dev/sr1", "/dev/sr2", "/dev/sr3",
                                               "/dev/sr4", "/dev/sr5", "/dev/sr6", "/dev/sr7"}));
}

TEST(SgIoDiscovery, ProbesEveryDriveAndKeepsOneThatDoesNotAnswer) {
    FakeKernel kernel({"sr0", "sr1"});
    kernel.deadDevices.insert("/dev/sr0");
    kernel.readOnlyDevices.insert("/dev/sr1");
    NativeOnFake native(kernel, 4, /*requested*/ 1);
    ASSERT_EQ(native.result, 1);
    CSCSIDriverNative& driver = *native.driver;

    EXPECT_EQ(driver.driveCount, 2);
    EXPECT_EQ(driver.currentDrive, 1);
    // sr0: four INQUIRY attempts, then it keeps its place without a name.
    EXPECT_EQ(DriveName(driver.drives[0]), std::string(24, ' '));
    EXPECT_EQ(DriveName(driver.drives[1]), "KORVIDA VIRTUAL CD-ROM  ");
    EXPECT_EQ(std::string(driver.drives[1].revision), "1.0 ");
    EXPECT_EQ(driver.drives[1].hostAdapter, 1u);
    EXPECT_EQ(driver.drives[1].lun, 2u);
    EXPECT_EQ(driver.drives[1].target, 3u);
    EXPECT_EQ(std::count_if(kernel.cdbs.begin(), kernel.cdbs.end(),
                            [](const auto& cdb) { return cdb[0] == opcode::kInquiry; }),
              5);

    // sr1 refuses read/write and is opened read-only; every open is non-blocking.
    for (const auto& [path, flags] : kernel.opens)
        EXPECT_TRUE(flags & O_NONBLOCK) << path;
    EXPECT_EQ(kernel.opens.back().first, "/dev/sr1");
    EXPECT_EQ(kernel.opens.back().second & O_ACCMODE, O_RDONLY);
    // Probe handles are closed again; only the selected drive stays open.
    EXPECT_EQ(kernel.fds.size(), 1u);
    std::uint8_t toc[kTocBufferSize];
    EXPECT_EQ(driver.ReadTOC(toc, 0), 1);
    EXPECT_EQ(toc[3], 1);

    native.driver.reset();
    EXPECT_TRUE(kernel.fds.empty()) << "the destructor closes the drive";
}

TEST(SgIoDiscovery, ImagesFollowTheRealDrivesAndAnIndexPastTheTableSelectsDriveZero) {
    FakeKernel kernel({"sr0"});
    WriteFile(kernel.root / "disc.cue",
              "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    NativeOnFake native(kernel, 1, /*requested*/ 2, {kernel.root / "disc.cue"});
    ASSERT_EQ(native.result, 1);
    EXPECT_EQ(native.driver->driveCount, 2);
    EXPECT_EQ(native.driver->currentDrive, 0);
    EXPECT_EQ(native.driver->VirtualDriveAt(0), nullptr);
    EXPECT_NE(native.driver->VirtualDriveAt(1), nullptr);
}

TEST(SgIoDiscovery, NothingFoundFailsInit) {
    FakeKernel kernel({"sda"});
    NativeOnFake native(kernel, 1);
    EXPECT_EQ(native.result, 0);
    EXPECT_EQ(native.driver->driveCount, 0);
    std::uint8_t toc[kTocBufferSize];
    EXPECT_EQ(native.driver->ReadTOC(toc, 0), 0);
}

TEST(SgIoRequest, CarriesDirectionLengthsTimeoutAndSenseRoom) {
    FakeKernel kernel({"sr0"});
    NativeOnFake native(kernel, 1);
    kernel.requests.clear();

    std::vector<std::uint8_t> buffer(26 * kRawSectorSize);
    AudioReadRequest read;
    read.startLba = 10;
    read.sectorCount = 26;
    read.byteLength = 61152;
    read.buffer = buffer.data();
    ASSERT_EQ(native.driver->ReadAudio(read), 1);
    ASSERT_EQ(native.driver->PlayAudio(0, 150), 1);

    const sg_io_hdr_t& r = kernel.requests[0];
    EXPECT_EQ(r.interface_id, 'S');
    EXPECT_EQ(r.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(r.dxfer_len, 61152u);
    EXPECT_EQ(r.dxferp, buffer.data());
    EXPECT_EQ(r.cmd_len, 12);
    EXPECT_EQ(r.timeout, 5000u);
    EXPECT_GE(r.mx_sb_len, 14);
    EXPECT_EQ(kernel.requests[1].dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(buffer[0], PatternByte(10, 0));
}

TEST(SgIoRequest, ACdbLongerThanSixteenBytesSendsSixteen) {
    FakeKernel kernel({"sr0"});
    NativeOnFake native(kernel, 1);
    kernel.cdbs.clear();
    std::uint8_t cdb[20];
    for (int i = 0; i < 20; ++i)
        cdb[i] = static_cast<std::uint8_t>(0xA0 + i);
    native.driver->ExecCommand(cdb, 20, nullptr, 0, nullptr, 0);
    ASSERT_EQ(kernel.cdbs.size(), 1u);
    EXPECT_EQ(kernel.cdbs[0], std::vector<std::uint8_t>(cdb, cdb + 16));
}

struct SpoiledAnswer {
    const char* name;
    std::function<void(sg_io_hdr_t&)> spoil;
    int expected;  // result of a ReadAudio
};

class SgIoStatus : public ::testing::TestWithParam<SpoiledAnswer> {};

// The ioctl succeeding says only that the kernel delivered the command; the drive's
// verdict is in the status, host and driver bytes and the residue.
TEST_P(SgIoStatus, OnlyAGoodCompleteTransferCountsAsRead) {
    FakeKernel kernel({"sr0"});
    NativeOnFake native(kernel, 3);
    kernel.requests.clear();
    kernel.spoil = GetParam().spoil;
    std::vector<std::uint8_t> buffer(4 * kRawSectorSize);
    AudioReadRequest read;
    read.startLba = 0;
    read.sectorCount = 4;
    read.byteLength = 4 * kRawSectorSize;
    read.buffer = buffer.data();
    EXPECT_EQ(native.driver->ReadAudio(read), GetParam().expected);
    EXPECT_EQ(kernel.requests.size(), GetParam().expected ? 1u : 3u);
    if (!GetParam().expected) {
        // Said in the user's words: the text reaches the job log as it is.
        const std::string text = native.driver->LastErrorText();
        EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        })) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SgIoStatus,
    ::testing::Values(SpoiledAnswer{"Good", nullptr, 1},
                      SpoiledAnswer{"GoodWithRecoveredErrorSense",
                                    [](sg_io_hdr_t& h) { h.driver_status = 0x08; }, 1},
                      SpoiledAnswer{"CheckCondition",
                                    [](sg_io_hdr_t& h) {
                                        h.status = 0x02;
                                        h.driver_status = 0x08;
                                    },
                                    0},
                      SpoiledAnswer{"HostError", [](sg_io_hdr_t& h) { h.host_status = 0x07; }, 0},
                      SpoiledAnswer{"DriverTimeOut", [](sg_io_hdr_t& h) { h.driver_status = 0x06; },
                                    0},
                      SpoiledAnswer{"ShortTransfer", [](sg_io_hdr_t& h) { h.resid = 2352; }, 0},
                      SpoiledAnswer{"NegativeResidue", [](sg_io_hdr_t& h) { h.resid = -100; }, 1},
                      SpoiledAnswer{"IoctlFails", [](sg_io_hdr_t& h) { h.status = 0xFF; }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SgIoStatus, SenseOfACheckConditionIsKept) {
    FakeKernel kernel({"sr0"});
    NativeOnFake native(kernel, 2);
    kernel.drive->faults().unreadable.push_back({5, 1});
    std::vector<std::uint8_t> buffer(10 * kRawSectorSize);
    AudioReadRequest read;
    read.sectorCount = 10;
    read.byteLength = 10 * kRawSectorSize;
    read.buffer = buffer.data();
    EXPECT_EQ(native.driver->ReadAudio(read), 0);
    EXPECT_EQ(native.driver->lastSense[2] & 0x0F, kSenseMediumError);
    EXPECT_EQ(native.driver->lastSense[12], 0x11);
    EXPECT_EQ(native.driver->lastSense[6], 5) << "information field: the bad LBA";
}

// A real drive with digital playback on: track 1 at LBA 0, track 2 at 150.
struct DigitalPlayer {
    FakeKernel kernel{{"sr0"}};
    std::unique_ptr<CSCSIDriverNative> driver;

    explicit DigitalPlayer(const std::string& soundDevice = "null") {
        WritePatternBin(kernel.root / "two.bin", 300);
        kernel.drive = LoadDrive(kernel.root.path(),
                                 "FILE \"two.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                 " TRACK 02 AUDIO\n  INDEX 01 00:02:00\n");
        DriverOptions options;
        options.retryTimes = 2;
        options.digitalPlayback = true;
        options.audioDevice = soundDevice;
        DriveSources sources;
        sources.system = kernel.System();
        driver = std::make_unique<CSCSIDriverNative>(options, std::move(sources));
        EXPECT_EQ(driver->Init(0), 1);
        kernel.cdbs.clear();
    }
    struct Position {
        std::int32_t relative, absolute;
        std::uint32_t status;
    };
    Position Where() {
        Position p{};
        EXPECT_EQ(driver->GetPosition(&p.relative, &p.absolute, &p.status), 1);
        return p;
    }
    Position WhenNotPlaying() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        Position p = Where();
        while (p.status == 0x11u && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            p = Where();
        }
        return p;
    }
    // Read only once the play is over: its thread sends commands too.
    std::size_t Sent(std::uint8_t op) const {
        return static_cast<std::size_t>(std::count_if(kernel.cdbs.begin(), kernel.cdbs.end(),
                                                      [op](const auto& c) { return c[0] == op; }));
    }
};

TEST(DigitalPlayback, ReadsTheRangeInsteadOfSendingPlayAudio) {
    DigitalPlayer player;
    ASSERT_EQ(player.driver->PlayAudio(140, 170), 1);  // across the start of track 2
    DigitalPlayer::Position p = player.WhenNotPlaying();
    EXPECT_EQ(p.status, 0x13u);
    EXPECT_EQ(p.absolute, 170);
    EXPECT_EQ(p.relative, 20) << "relative to track 2, from the TOC";

    EXPECT_EQ(player.Sent(opcode::kPlayAudio12), 0u);
    EXPECT_EQ(player.Sent(opcode::kReadSubChannel), 0u);
    // The reads cover the range exactly, in order, with the drive type's command.
    std::uint32_t next = 140;
    for (const auto& cdb : player.kernel.cdbs) {
        if (cdb[0] != opcode::kReadCd)
            continue;
        std::uint32_t lba = (cdb[2] << 24) | (cdb[3] << 16) | (cdb[4] << 8) | cdb[5];
        EXPECT_EQ(lba, next);
        next = lba + ((cdb[6] << 16) | (cdb[7] << 8) | cdb[8]);
    }
    EXPECT_EQ(next, 170u);
    EXPECT_EQ(player.Where().status, 0x15u) << "the end is reported once, then the drive answers";
}

TEST(DigitalPlayback, PauseAndStopActOnThePlayAndStopAlsoStopsTheDrive) {
    DigitalPlayer player;
    ASSERT_EQ(player.driver->PlayAudio(0, 300), 1);
    ASSERT_EQ(player.driver->Pause(1), 1);
    DigitalPlayer::Position paused = player.Where();
    EXPECT_EQ(paused.status, 0x12u);
    EXPECT_LT(paused.absolute, 300);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(player.Where().absolute, paused.absolute);
    ASSERT_EQ(player.driver->Pause(0), 1);
    EXPECT_EQ(player.Where().status, 0x11u);
    ASSERT_EQ(player.driver->Stop(), 1);
    EXPECT_EQ(player.Where().status, 0x15u);
    EXPECT_EQ(player.Sent(opcode::kPauseResume), 0u);
    EXPECT_EQ(player.Sent(opcode::kStartStopUnit), 1u);
}

TEST(DigitalPlayback, AnUnreadableFrameEndsThePlayWithAnErrorNotCompletion) {
    DigitalPlayer player;
    player.kernel.drive->faults().unreadable.push_back({150, 1});
    ASSERT_EQ(player.driver->PlayAudio(140, 200), 1);
    DigitalPlayer::Position p = player.WhenNotPlaying();
    EXPECT_EQ(p.status, 0x14u);
    EXPECT_LE(p.absolute, 150);
    EXPECT_EQ(player.driver->lastSense[2], 0) << "the play's reads leave lastSense alone";
}

TEST(DigitalPlayback, WithoutASoundDeviceTheDrivePlaysItself) {
    DigitalPlayer player("korvida-no-such-device");
    ASSERT_EQ(player.driver->PlayAudio(0, 150), 1);
    EXPECT_EQ(player.Where().status, 0x11u);
    EXPECT_EQ(player.Sent(opcode::kPlayAudio12), 1u);
    EXPECT_EQ(player.Sent(opcode::kReadCd), 0u);
}

}  // namespace
}  // namespace korvida::test

namespace korvida::test {
namespace {

TEST(RealDrive, TheFirstDriveAnswersInquiryAndReadToc) {
    if (FindCdromDevicePaths(SgIoSystem::Linux()).empty())
        GTEST_SKIP() << "no CD-ROM drive here";
    Settings settings;
    DriveSources sources;
    CSCSIDriverNative driver(DriverOptionsFrom(settings), sources);
    if (!driver.Init(0))
        GTEST_SKIP() << "drive not accessible: " << driver.LastErrorText();
    EXPECT_NE(DriveName(driver.drives[0]), std::string(24, ' '));
    std::uint8_t toc[kTocBufferSize];
    if (!driver.ReadTOC(toc, 0))
        GTEST_SKIP() << "no disc: " << driver.LastErrorText();
    EXPECT_GE(toc[3], toc[2]);
}

}  // namespace
}  // namespace korvida::test

namespace korvida::test {
namespace {

// A device the user may not open is listed as unusable, and choosing it says what to do.
TEST(SgIoDiscovery, ADeviceThatRefusesAccessIsListedAndNamedInTheMessage) {
    FakeKernel kernel({"sr0", "sr1"});
    kernel.deniedDevices.insert("/dev/sr0");
    TempHome home;
    Settings settings;
    RecordingNotifier notifier;
    DriveSources sources;
    sources.system = kernel.System();
    DriveSelection selection = CreateAndSelectDriver(settings, sources, notifier);
    EXPECT_FALSE(selection.ok);
    EXPECT_EQ(selection.statusText, kNoCdromStatus);
    ASSERT_EQ(notifier.messages.size(), 1u);
    const std::string& message = notifier.messages[0];
    EXPECT_NE(message.find("/dev/sr0"), std::string::npos) << message;
    EXPECT_NE(message.find("cdrom 组"), std::string::npos) << message;
    EXPECT_NE(message.find("桌面会话"), std::string::npos) << message;

    CSCSIDriver& driver = *selection.driver;
    ASSERT_EQ(driver.driveCount, 2);
    EXPECT_EQ(FormatDriveLine(0, driver.drives[0]), "0\tsr0     无权访问    \t0\t0\t0");
    EXPECT_EQ(DriveName(driver.drives[1]), "KORVIDA VIRTUAL CD-ROM  ");
    std::uint8_t toc[kTocBufferSize];
    EXPECT_EQ(driver.ReadTOC(toc, 0), 0) << "no command reaches a drive that did not open";

    bool ok = false;
    EXPECT_EQ(ChangeDrive(driver, settings, 1, ok), "设备: KORVIDA VIRTUAL CD-ROM    ");
    EXPECT_TRUE(ok);
    EXPECT_EQ(driver.ReadTOC(toc, 0), 1);
}

}  // namespace
}  // namespace korvida::test
