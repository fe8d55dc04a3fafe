#include "gui/player/PlayerController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTreeView>
#include <cstdlib>

#include "core/cdrom/DiscImage.h"
#include "core/cdrom/LoadCueImage.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/platform/MasterVolume.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/player/PlayerBar.h"

namespace korvida {
namespace {

using gui::MainWindow;
using gui::PlayerController;
namespace cmd = gui::cmd;

constexpr std::uint32_t kPlaying = 0x11;

// Six audio tracks of silence: ten stored frames each, lengthened by postgaps that the
// image inserts without storing them. Track 1 runs past 91 minutes, the others 20 s.
std::string WriteSixTrackDisc(const test::TempDir& dir) {
    test::WriteFile(dir / "six.bin", std::string(6 * 10 * 2352, '\0'));
    std::string cue = "FILE \"six.bin\" BINARY\n";
    for (int t = 1; t <= 6; ++t) {
        cue += "  TRACK 0" + std::to_string(t) + " AUDIO\n";
        cue += "    INDEX 01 00:00:" + std::to_string(t - 1) + "0\n";
        cue += t == 1 ? "    POSTGAP 91:10:00\n" : "    POSTGAP 00:20:00\n";
    }
    test::WriteFile(dir / "six.cue", cue);
    return dir / "six.cue";
}

// The main window on a virtual drive whose play position follows a clock the test
// moves: no test waits for real time, and the timer's tick is called directly.
struct PlayerWindow {
    PlayerWindow() : demo({}, false) {
        DiscImage image;
        std::string error;
        EXPECT_TRUE(LoadCueImage(WriteSixTrackDisc(demo.home), image, error)) << error;
        drive = std::make_shared<VirtualDrive>(std::move(image), [this] { return nowMs; });
        demo.drives.virtualDrives = {drive};
        window = &demo.Open();
        rows().CheckAll(false);
        rows().row(1).checked = true;
        rows().row(4).checked = true;
        rows().HighlightOnly(2);
    }
    TrackList& rows() { return test::DiscsOf(*window).rows(); }
    PlayerController& player() { return test::PlayerOf(*window); }
    QSlider* slider() { return test::PointerTo<QSlider>(*window, "positionSlider"); }
    QString time() { return test::TimeOf(*window)->text(); }
    void Trigger(int id) { test::ActionOf(*window, id)->trigger(); }
    void Advance(std::uint64_t ms) { nowMs += ms; }
    // What the drive says it plays: status, and the position relative to the track.
    std::pair<std::uint32_t, std::int32_t> DrivePosition() {
        std::int32_t relative = 0, absolute = 0;
        std::uint32_t status = 0;
        test::DiscsOf(*window).driver()->GetPosition(&relative, &absolute, &status);
        return {status, relative};
    }
    std::uint32_t TrackStart(int track) {
        return test::DiscsOf(*window).disc().trackRanges[static_cast<std::size_t>(track)].start;
    }

    std::uint64_t nowMs = 1000;
    test::DemoWindow demo;
    std::shared_ptr<VirtualDrive> drive;
    MainWindow* window = nullptr;
};

TEST(Player, PlaysTheFirstTickedOrTheHighlightedRowAndMovesBetweenTickedRows) {
    PlayerWindow w;
    ASSERT_EQ(w.rows().size(), 6);
    w.Trigger(cmd::kPlaySelected);
    EXPECT_EQ(w.player().playingRow(), 1);
    EXPECT_EQ(w.DrivePosition(), std::make_pair(kPlaying, 0));
    EXPECT_EQ(w.slider()->maximum(), 20);  // the 10 stored frames are less than a second
    EXPECT_TRUE(w.player().timerActive());

    w.Trigger(cmd::kPlayHighlighted);
    EXPECT_EQ(w.player().playingRow(), 2);
    EXPECT_EQ(w.player().playingTrack(), 2);

    // Previous from the first ticked row plays that row again, from its start.
    w.Trigger(cmd::kPlaySelected);
    w.Advance(4000);
    EXPECT_EQ(w.DrivePosition().second, 300);
    w.Trigger(cmd::kPreviousTrack);
    EXPECT_EQ(w.player().playingRow(), 1);
    EXPECT_EQ(w.DrivePosition(), std::make_pair(kPlaying, 0));

    // A finished track moves the player on to the next ticked row...
    w.Advance(30000);
    w.player().Tick();
    EXPECT_EQ(w.player().playingRow(), 4);
    EXPECT_EQ(w.DrivePosition(), std::make_pair(kPlaying, 0));
    // ... and Next on the last one stops everything.
    w.Advance(3000);
    w.player().Tick();
    EXPECT_EQ(w.time(), QStringLiteral("00:03"));
    w.Trigger(cmd::kNextTrack);
    EXPECT_EQ(w.time(), QStringLiteral("00:00"));
    EXPECT_EQ(w.slider()->value(), 0);
    EXPECT_FALSE(w.player().timerActive());
    EXPECT_NE(w.DrivePosition().first, kPlaying);
    EXPECT_EQ(test::StatusOf(*w.window)->text(), test::DiscsOf(*w.window).statusText());

    // A double click plays the row under the pointer.
    w.window->show();
    QTreeView* list = test::ListOf(*w.window);
    const QRect row3 = list->visualRect(list->model()->index(3, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row3.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row3.center());
    EXPECT_EQ(w.player().playingRow(), 3);
    // Enter in the list does the same.
    w.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(5, 1)).center());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(w.player().playingRow(), 5);
    EXPECT_TRUE(w.demo.notifier.messages.empty());

    w.rows().HighlightOnly(-1);
    w.player().PlayHighlighted();
    EXPECT_EQ(w.demo.notifier.messages, std::vector<std::string>{"请高亮显示一首音轨以播放它。"});
}

TEST(Player, PositionTimeAndStatusFollowTheDrive) {
    PlayerWindow w;
    w.rows().row(0).checked = true;
    const QString device = test::StatusOf(*w.window)->text();
    w.Trigger(cmd::kPlaySelected);
    ASSERT_EQ(w.player().playingRow(), 0);
    EXPECT_EQ(w.slider()->maximum(), 91 * 60 + 10);

    w.Advance(245000);  // r = 18375 frames
    w.player().Tick();
    EXPECT_EQ(w.time(), QStringLiteral("04:05"));
    EXPECT_EQ(w.slider()->value(), 248);
    // The status line takes the player's text only at the third tick that finds it
    // showing something else.
    w.player().Tick();
    EXPECT_EQ(test::StatusOf(*w.window)->text(), device);
    w.player().Tick();
    EXPECT_EQ(test::StatusOf(*w.window)->text(), QStringLiteral("正在播放: 音轨 1"));

    // More than 90 minutes into a track is no position.
    w.Advance((91 * 60 - 245) * 1000);
    w.player().Tick();
    EXPECT_EQ(w.time(), QStringLiteral("04:05"));
    EXPECT_EQ(w.slider()->value(), 248);

    // Dragging the knob shows its time and holds the timer; release plays from there.
    w.slider()->setSliderDown(true);
    w.slider()->setSliderPosition(125);
    EXPECT_EQ(w.time(), QStringLiteral("02:05"));
    EXPECT_FALSE(w.player().timerActive());
    w.slider()->setSliderDown(false);
    EXPECT_TRUE(w.player().timerActive());
    EXPECT_EQ(w.DrivePosition(), std::make_pair(kPlaying, 125 * 75));

    w.Trigger(cmd::kStop);
    EXPECT_EQ(test::StatusOf(*w.window)->text(), device);
    EXPECT_EQ(w.player().playingRow(), -1);
    EXPECT_EQ(w.time(), QStringLiteral("00:00"));
}

TEST(Player, PauseHoldsThePlaceUntilPlaySelectedResumesIt) {
    PlayerWindow w;
    w.Trigger(cmd::kPlaySelected);
    w.Advance(10000);
    w.Trigger(cmd::kButtonPause);
    EXPECT_TRUE(w.player().paused());
    w.Advance(5000);
    w.Trigger(cmd::kPlaySelected);
    EXPECT_FALSE(w.player().paused());
    EXPECT_EQ(w.DrivePosition(), std::make_pair(kPlaying, 750));  // not restarted

    // Play highlighted while paused plays, and the status line goes on saying paused.
    w.Trigger(cmd::kButtonPause);
    w.Trigger(cmd::kPlayHighlighted);
    EXPECT_EQ(w.DrivePosition(), std::make_pair(kPlaying, 0));
    for (int i = 0; i < 3; ++i)
        w.player().Tick();
    EXPECT_EQ(test::StatusOf(*w.window)->text(), QStringLiteral("已暂停: 音轨 3"));

    // A pause the drive refuses (nothing plays) leaves the player able to play.
    w.Trigger(cmd::kStop);
    w.Trigger(cmd::kButtonPause);
    EXPECT_FALSE(w.player().paused());
    w.Trigger(cmd::kPlaySelected);
    EXPECT_EQ(w.player().playingRow(), 1);

    // A disc load ends the play; the display shows the disc's length instead.
    w.Advance(3000);
    w.player().Tick();
    w.Trigger(cmd::kRefreshToc);
    QSignalSpy ready(w.window, &MainWindow::discReady);
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(w.player().playingRow(), -1);
    EXPECT_FALSE(w.player().timerActive());
    EXPECT_NE(w.DrivePosition().first, kPlaying);
    EXPECT_EQ(w.time(), QStringLiteral("92:50"));
}

// A mixer the test reads back: two channels of 0..100 and a mute switch.
struct FakeMixer : MixerControl {
    long Minimum() const override { return 0; }
    long Maximum() const override { return 100; }
    int Channels() const override { return 2; }
    bool Value(int channel, long* value) override {
        *value = values[static_cast<std::size_t>(channel)];
        return true;
    }
    bool SetValue(int channel, long value) override {
        values[static_cast<std::size_t>(channel)] = value;
        return true;
    }
    void SetSwitch(bool on) override { *switchOn = on; }

    std::array<long, 2> values{30, 60};
    bool* switchOn;
};

TEST(Player, VolumeSliderSetsTheMasterVolumeOnlyWhenThereIsOne) {
    test::App();
    bool switchOn = false;
    auto mixer = std::make_unique<FakeMixer>();
    mixer->switchOn = &switchOn;
    FakeMixer* fake = mixer.get();
    MasterVolume volume(std::move(mixer));
    EXPECT_EQ(volume.EnableLine(), 1);
    EXPECT_TRUE(switchOn);

    gui::PlayerBar bar;
    bar.SetUpVolume(volume);
    QSlider* slider = bar.volumeSlider();
    EXPECT_EQ(slider->maximum(), 100);
    EXPECT_EQ(slider->value(), 30);  // the first channel's
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(fake->values, (std::array<long, 2>{40, 40}));
    EXPECT_EQ(volume.SetValue(101), 0);
    EXPECT_EQ(volume.SetValue(-1), 0);
    EXPECT_EQ(volume.CurrentValue(), 40);

    // No card: every operation refuses and the slider stays at 0, inert.
    MasterVolume none(nullptr);
    for (long result : {static_cast<long>(none.EnableLine()), static_cast<long>(none.SetValue(0)),
                        none.Minimum(), none.Maximum(), none.CurrentValue(), none.StepCount()})
        EXPECT_EQ(result, -1);
    bar.SetUpVolume(none);
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(slider->maximum(), 0);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_FALSE(slider->isEnabled());
}

TEST(Player, VolumeCommandSaysSoWhenNoVolumeProgramExists) {
    PlayerWindow w;
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    test::TempDir empty;
    ::setenv("PATH", empty.path().c_str(), 1);
    w.Trigger(cmd::kVolumeControl);
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(w.demo.notifier.messages, std::vector<std::string>{"未找到系统音量控制程序！"});
}

}  // namespace
}  // namespace korvida
