// Creating the driver and choosing the drive, as the main window and the CLI do it.
#include <gtest/gtest.h>

#include <cstring>

#include "core/cdrom/DriveSelection.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/cdrom/Toc.h"
#include "core/platform/UserNotifier.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

struct RecordingNotifier : UserNotifier {
    std::vector<std::pair<std::string, Icon>> messages;
    void ShowMessage(const std::string& text, Icon icon) override {
        messages.emplace_back(text, icon);
    }
};

struct TwoImages {
    TempDir dir;
    std::string first = dir / "first.cue";
    std::string second = dir / "second.cue";
    TwoImages() {
        WritePatternBin(dir / "disc.bin", 200);
        const char* cue = "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n";
        WriteFile(first, cue);
        WriteFile(second, cue);
    }
    DriveSources Sources(std::vector<std::string> images) const {
        DriveSources sources;
        sources.scanRealDrives = false;
        sources.images = std::move(images);
        return sources;
    }
};

TEST(DriveSelection, AnIndexPastTheDrivesSelectsDriveZeroAndStoresIt) {
    TwoImages images;
    Settings settings;
    settings.CDROMDriver = 3;
    RecordingNotifier notifier;
    DriveSelection selection =
        CreateAndSelectDriver(settings, images.Sources({images.first, images.second}), notifier);
    ASSERT_TRUE(selection.ok);
    EXPECT_EQ(selection.driver->driveCount, 2);
    EXPECT_EQ(selection.driver->currentDrive, 0);
    EXPECT_EQ(settings.CDROMDriver, 0);
    EXPECT_EQ(selection.statusText, "设备: KORVIDA VIRTUAL CD-ROM A  ");
    EXPECT_TRUE(notifier.messages.empty());
}

TEST(DriveSelection, NoDriveAndNoImageLeavesAUsableProgram) {
    Settings settings;
    settings.CDROMDriver = -4;
    RecordingNotifier notifier;
    DriveSources sources;
    sources.scanRealDrives = false;
    DriveSelection selection = CreateAndSelectDriver(settings, sources, notifier);
    EXPECT_FALSE(selection.ok);
    EXPECT_EQ(selection.statusText, kNoCdromStatus);
    EXPECT_EQ(settings.CDROMDriver, 0);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].first, kNativeInitFailedMessage);
    EXPECT_EQ(notifier.messages[0].second, UserNotifier::Icon::kStop);
    // The driver is there and fails every command without further fuss.
    ASSERT_TRUE(selection.driver);
    std::uint8_t toc[kTocBufferSize];
    EXPECT_EQ(selection.driver->ReadTOC(toc, 0), 0);
    EXPECT_EQ(selection.driver->Stop(), 0);
}

TEST(DriveSelection, ABrokenImageIsReportedAndGivesNoDrive) {
    TwoImages images;
    WriteFile(images.dir / "broken.cue",
              "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 99:00:00\n");
    Settings settings;
    RecordingNotifier notifier;
    DriveSelection selection = CreateAndSelectDriver(
        settings, images.Sources({images.dir / "broken.cue", images.second}), notifier);
    ASSERT_TRUE(selection.ok);
    EXPECT_EQ(selection.driver->driveCount, 1);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].first.rfind(images.dir / "broken.cue:3:", 0), 0u)
        << notifier.messages[0].first;
}

TEST(DriveSelection, TheImageGivenOnTheCommandLineBecomesTheCurrentDrive) {
    TwoImages images;
    Settings settings;
    RecordingNotifier notifier;
    DriveSources sources = images.Sources({images.first, images.second});
    sources.selectImage = images.second;
    DriveSelection selection = CreateAndSelectDriver(settings, sources, notifier);
    ASSERT_TRUE(selection.ok);
    EXPECT_EQ(selection.driver->currentDrive, 1);
    EXPECT_EQ(settings.CDROMDriver, 1);
    // Once: a drive picked afterwards is the drive used, and the one stored.
    bool ok = false;
    EXPECT_EQ(ChangeDrive(*selection.driver, settings, 0, ok), "设备: KORVIDA VIRTUAL CD-ROM A  ");
    EXPECT_EQ(selection.driver->currentDrive, 0);
    EXPECT_EQ(settings.CDROMDriver, 0);
}

TEST(DriveSelection, OpenedImagesTakeTheLeastRecentlyUsedPlaceAndABrokenOneChangesNothing) {
    TwoImages images;
    Settings settings;
    RecordingNotifier notifier;
    DriveSelection selection = CreateAndSelectDriver(settings, images.Sources({}), notifier);
    auto& native = static_cast<CSCSIDriverNative&>(*selection.driver);
    std::vector<std::string> sheets;
    for (int i = 0; i < 10; ++i) {
        sheets.push_back(images.dir / ("image" + std::to_string(i) + ".cue"));
        WriteFile(sheets.back(),
                  "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    }
    std::string error;
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(native.OpenImage(sheets[i], &error), 1) << error;
        EXPECT_EQ(native.currentDrive, i);
    }
    bool ok = false;
    ChangeDrive(native, settings, 0, ok);  // image0 is the most recently used now
    ASSERT_EQ(native.OpenImage(sheets[8], &error), 1) << error;
    EXPECT_EQ(native.currentDrive, 1) << "image1 was used longest ago";
    EXPECT_EQ(DeviceStatusText(native), "设备: KORVIDA VIRTUAL CD-ROM B  ");
    ASSERT_EQ(native.OpenImage(sheets[9], &error), 1) << error;
    EXPECT_EQ(native.currentDrive, 2) << "image1's place holds the current image";
    // The same sheet again takes its own place.
    ASSERT_EQ(native.OpenImage(sheets[8], &error), 1);
    EXPECT_EQ(native.currentDrive, 1);
    EXPECT_EQ(native.driveCount, 8);

    const std::vector<std::string> before = native.ImagePaths();
    WriteFile(images.dir / "broken.cue", "TRACK 01 AUDIO\n");
    EXPECT_EQ(native.OpenImage(images.dir / "broken.cue", &error), 0);
    EXPECT_NE(error.find("broken.cue"), std::string::npos) << error;
    EXPECT_EQ(native.ImagePaths(), before);
    EXPECT_EQ(native.currentDrive, 1);
    std::uint8_t toc[kTocBufferSize];
    EXPECT_EQ(native.ReadTOC(toc, 0), 1);
}

TEST(DriveSelection, PickingAnotherDriveStopsTheOldOneAndKeepsTheDriver) {
    TwoImages images;
    Settings settings;
    RecordingNotifier notifier;
    DriveSelection selection =
        CreateAndSelectDriver(settings, images.Sources({images.first, images.second}), notifier);
    auto& native = static_cast<CSCSIDriverNative&>(*selection.driver);
    VirtualDrive* first = native.VirtualDriveAt(0);
    ASSERT_EQ(native.PlayAudio(0, 150), 1);

    bool ok = false;
    std::string status = ChangeDrive(native, settings, 1, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(status, "设备: KORVIDA VIRTUAL CD-ROM B  ");
    EXPECT_EQ(native.currentDrive, 1);
    EXPECT_EQ(settings.CDROMDriver, 1);
    EXPECT_EQ(native.VirtualDriveAt(0), first) << "a drive change does not reload the images";
}

TEST(DriveSelection, DriveLinesAndImageLists) {
    SCSIDriveInfo info;
    std::memcpy(info.vendor, "HL-DT-ST", 8);
    std::memcpy(info.product, "DVDRAM GH24NSD1 ", 16);
    info.hostAdapter = 1;
    info.target = 2;
    info.lun = 0;
    EXPECT_EQ(FormatDriveLine(3, info), "3\tHL-DT-STDVDRAM GH24NSD1 \t1\t2\t0");
    EXPECT_EQ(SplitImageList(" a.cue ;;/music/b c.cue; "),
              (std::vector<std::string>{"a.cue", "/music/b c.cue"}));
}

TEST(TocReply, AHeaderClaimingMoreThanTheBufferHoldsIsReadOnlyAsFarAsTheBuffer) {
    // On the heap and exactly sized, so that AddressSanitizer sees any read past it.
    auto raw = std::make_unique<std::uint8_t[]>(kTocBufferSize);
    std::memset(raw.get(), 0x11, kTocBufferSize);
    raw[0] = 0xFF;  // data length 65535
    raw[1] = 0xFF;
    raw[2] = 1;
    raw[3] = 200;  // last track past 99
    TocView toc = ParseTocReply(raw.get(), kTocBufferSize);
    EXPECT_EQ(toc.descriptors.size(), 100u);

    TocView shortReply = ParseTocReply(raw.get(), 4 + 8 * 2 + 5);
    EXPECT_EQ(shortReply.descriptors.size(), 2u);
}

TEST(TocReply, DescriptorLinesInBothAddressForms) {
    TempDir dir;
    WritePatternBin(dir / "disc.bin", 400);
    auto drive = LoadDrive(dir.path(),
                           "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                           " TRACK 02 MODE1/2352\n  INDEX 01 00:04:20\n");
    DriverOnImage setup(drive, 1);
    std::uint8_t lba[kTocBufferSize], msf[kTocBufferSize];
    ASSERT_EQ(setup.driver->ReadTOC(lba, 0), 1);
    ASSERT_EQ(setup.driver->ReadTOC(msf, 1), 1);
    std::vector<std::string> expected = {"01\t10\t0\t00:02:00", "02\t14\t320\t00:06:20",
                                         "leadout\t14\t400\t00:07:25"};
    EXPECT_EQ(TocDescriptorLines(ParseTocReply(lba, sizeof lba)), expected);
    EXPECT_EQ(TocDescriptorLines(ParseTocReply(msf, sizeof msf, true)), expected);
}

}  // namespace
}  // namespace korvida::test
