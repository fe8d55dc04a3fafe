// Which drive is used: the image given at start, the options page's pick, images opened
// one after another, and the tray of an ejected image.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTreeView>

#include "core/settings/Settings.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/settings/CdromPage.h"
#include "gui/settings/OptionsSheet.h"

namespace korvida {
namespace {

using test::DemoWindow;

// A sheet over the demo disc's audio with `tracks` tracks five seconds apart, so each
// sheet lists a disc of its own.
std::string SheetWithTracks(const test::TempDir& dir, int tracks) {
    const std::string demo = test::SharedDemoDisc();
    std::string cue = "FILE \"" + demo.substr(0, demo.size() - 3) + "bin\" BINARY\n";
    for (int t = 1; t <= tracks; ++t)
        cue += " TRACK 0" + std::to_string(t) + " AUDIO\n  INDEX 01 00:" + (t < 3 ? "0" : "") +
               std::to_string((t - 1) * 5) + ":00\n";
    const std::string path = dir / ("disc" + std::to_string(tracks) + ".cue");
    test::WriteFile(path, cue);
    return path;
}

int Rows(gui::MainWindow& window) {
    return test::ListOf(window)->model()->rowCount();
}

TEST(DrivesAndImages, TheImageGivenAtStartIsChosenOnceThenThePageChooses) {
    DemoWindow demo;
    const std::string oneTrack = SheetWithTracks(demo.home, 1);
    demo.drives.images.push_back(oneTrack);
    demo.drives.selectImage = oneTrack;
    gui::MainWindow& window = demo.Open();
    ASSERT_EQ(Rows(window), 1);
    EXPECT_EQ(TheSettings().CDROMDriver, 1);

    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    test::OnNextModal([](QWidget* modal) {
        auto* sheet = qobject_cast<gui::OptionsSheet*>(modal);
        ASSERT_NE(sheet, nullptr);
        sheet->selectPage(gui::OptionsPageId::kCdrom);
        sheet->page<gui::CdromPage>(gui::OptionsPageId::kCdrom)->driveList()->setCurrentIndex(0);
        sheet->accept();
    });
    test::ActionOf(window, gui::cmd::kOptions)->trigger();
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(Rows(window), 3) << "the demo disc of drive A";
    EXPECT_EQ(test::StatusOf(window)->text(), QStringLiteral("设备: KORVIDA VIRTUAL CD-ROM A  "));
    EXPECT_EQ(TheSettings().CDROMDriver, 0);
}

TEST(DrivesAndImages, EveryOpenedImageShowsItsOwnDiscAndABrokenOneChangesNothing) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    ASSERT_EQ(Rows(window), 3);
    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    // With the demo disc, nine images are more than the table holds.
    for (int tracks = 1; tracks <= 9; ++tracks) {
        test::DiscsOf(window).openImage(SheetWithTracks(demo.home, tracks));
        ASSERT_TRUE(ready.wait(30000));
        EXPECT_EQ(Rows(window), tracks);
        const int drive = test::DiscsOf(window).driver()->currentDrive;
        EXPECT_EQ(test::StatusOf(window)->text(),
                  QStringLiteral("设备: KORVIDA VIRTUAL CD-ROM %1  ").arg(QChar('A' + drive)));
        EXPECT_EQ(TheSettings().CDROMDriver, drive);
    }
    EXPECT_EQ(test::DiscsOf(window).driver()->driveCount, 8);
    EXPECT_TRUE(demo.notifier.messages.empty()) << demo.notifier.messages.front();

    const QString status = test::StatusOf(window)->text();
    const std::string broken = demo.home / "broken.cue";
    test::WriteFile(broken, "FILE \"nothing.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    test::DiscsOf(window).openImage(broken);
    ASSERT_TRUE(ready.wait(30000));
    ASSERT_EQ(demo.notifier.messages.size(), 1u);
    EXPECT_NE(demo.notifier.messages[0].find("broken.cue"), std::string::npos);
    EXPECT_EQ(Rows(window), 9);
    EXPECT_EQ(test::StatusOf(window)->text(), status);

    test::DiscsOf(window).openImage(SheetWithTracks(demo.home, 2));
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(Rows(window), 2);
    EXPECT_EQ(demo.notifier.messages.size(), 1u) << "the broken sheet's error came back";
}

TEST(DrivesAndImages, ASecondEjectClosesTheTrayAndListsTheDiscAgain) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    const QString device = test::StatusOf(window)->text();
    test::ActionOf(window, gui::cmd::kEject)->trigger();
    EXPECT_EQ(Rows(window), 0);
    // The status line says at once what became of the disc.
    EXPECT_EQ(test::StatusOf(window)->text(), device + QStringLiteral("托盘已打开"));
    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    test::ActionOf(window, gui::cmd::kEject)->trigger();
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(Rows(window), 3);
    test::ActionOf(window, gui::cmd::kEject)->trigger();
    EXPECT_EQ(Rows(window), 0) << "the third eject opens the tray again";
}

}  // namespace
}  // namespace korvida
