// Loads on a drive that is getting ready or has no disc, on a simulated clock: the wait
// is simulated time, the drive and the driver read the same clock.
#include <gtest/gtest.h>

#include <memory>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/LoadCueImage.h"
#include "core/disc/LoadDisc.h"
#include "core/settings/Settings.h"
#include "support/RecordingNotifier.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

class DriveReadinessTest : public ::testing::Test {
  protected:
    DriveReadinessTest() {
        test::WriteFile(home / "disc.bin", std::string(600 * 2352, '\0'));
        drive = std::make_shared<VirtualDrive>(Image(1), [this] { return now; });
        settings.RetryTimes = 1;  // a disc change must not cost an attempt
        DriveSources sources;
        sources.scanRealDrives = false;
        sources.virtualDrives = {drive};
        sources.clockMs = [this] { return now; };
        sources.sleepMs = [this](unsigned ms) { now += ms; };
        driver = std::make_unique<CSCSIDriverNative>(DriverOptionsFrom(settings), sources);
        EXPECT_EQ(driver->Init(0), 1);
    }

    DiscImage Image(int tracks) {
        std::string cue = "FILE \"disc.bin\" BINARY\n";
        for (int t = 1; t <= tracks; ++t)
            cue += "TRACK 0" + std::to_string(t) + " AUDIO\nINDEX 01 00:0" +
                   std::to_string(2 * (t - 1)) + ":00\n";
        test::WriteFile(home / "disc.cue", cue);
        DiscImage image;
        std::string error;
        EXPECT_TRUE(LoadCueImage(home / "disc.cue", image, error)) << error;
        return image;
    }

    DiscLoadResult Load() {
        statuses.clear();
        return LoadDisc(*driver, settings, disc, rows, notifier,
                        [this](const std::string& text) { statuses.push_back(text); });
    }

    test::TempHome home;
    std::uint64_t now = 1000;
    Settings settings;
    std::shared_ptr<VirtualDrive> drive;
    std::unique_ptr<CSCSIDriverNative> driver;
    DiscInfo disc;
    TrackList rows;
    test::RecordingNotifier notifier;
    std::vector<std::string> statuses;
};

TEST_F(DriveReadinessTest, ADiscBecomingReadyForThreeSecondsLoadsWhenReady) {
    drive->faults().becomingReadyMs = 3000;
    drive->ChangeDisc(Image(3));  // UNIT ATTENTION first, then becoming ready
    const std::uint64_t start = now;
    const DiscLoadResult result = Load();
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(statuses, std::vector<std::string>{kWaitingForDriveStatus});
    EXPECT_GE(now - start, 3000u);
    EXPECT_LE(now - start, 3250u) << "asked again every quarter second";
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(DriveReadinessTest, AnEmptyTrayOrADriveThatNeverGetsReadyListsNothingWithoutABox) {
    drive->ChangeDisc(std::nullopt);
    DiscLoadResult result = Load();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.readiness, DriveReadiness::kNoDisc);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(statuses.empty()) << "no disc is no reason to wait";
    EXPECT_EQ(DriveStateText(result, "设备: X  "), "设备: X  驱动器中没有光盘");

    drive->faults().becomingReadyMs = 60000;
    drive->ChangeDisc(Image(2));
    const std::uint64_t start = now;
    result = Load();
    EXPECT_EQ(result.readiness, DriveReadiness::kNotReady);
    EXPECT_TRUE(rows.empty());
    EXPECT_GE(now - start, kDriveReadyDeadlineMs);
    EXPECT_LT(now - start, kDriveReadyDeadlineMs + 250);
    EXPECT_EQ(DriveStateText(result, ""), "驱动器没有就绪");
    EXPECT_TRUE(notifier.messages.empty());
}

}  // namespace
}  // namespace korvida
