// A disc leaving and coming back on the real window: the edits survive because the
// removal stores them before the list is emptied.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "core/cdrom/LoadCueImage.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/DiscController.h"
#include "gui/app/MediaWatcher.h"

namespace korvida {
namespace {

TEST(MediaWatcher, ARemovalStoresTheEditsBeforeTheListEmpties) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    gui::DiscController& discs = test::DiscsOf(window);
    ASSERT_FALSE(discs.rows().empty());
    discs.disc().tracks[0].Title = "改过的标题";
    discs.rows().SetTitle(0, discs.disc().tracks[0].Title);

    gui::MediaWatcher watcher(discs, [] { return false; });
    QSignalSpy loaded(&discs, &gui::DiscController::discLoaded);
    watcher.handle({MediaChangeKind::kArrival, "/dev/sr1"});
    EXPECT_EQ(loaded.count(), 0) << "the selected drive still holds the listed disc";
    EXPECT_FALSE(discs.busy());

    ASSERT_EQ(discs.driver()->Eject(), 1);
    watcher.handle({MediaChangeKind::kRemoval, "/dev/sr0"});
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_TRUE(discs.rows().empty());

    // The tray closes again (START STOP UNIT with load and start bits).
    const std::uint8_t load[6] = {0x1B, 0, 0, 0, 0x03, 0};
    ASSERT_EQ(discs.driver()->ExecCommand(load, 6, nullptr, 0, nullptr, 0), 1);
    watcher.handle({MediaChangeKind::kArrival, "/dev/sr0"});
    ASSERT_TRUE(loaded.wait(30000));
    ASSERT_FALSE(discs.rows().empty());
    EXPECT_EQ(discs.disc().tracks[0].Title, "改过的标题");

    // While a rip uses the drive, events are left alone.
    gui::MediaWatcher busy(discs, [] { return true; });
    ASSERT_EQ(discs.driver()->Eject(), 1);
    busy.handle({MediaChangeKind::kRemoval, "/dev/sr0"});
    EXPECT_FALSE(discs.busy());
    EXPECT_FALSE(discs.rows().empty());
}

// Loads that fail with a message (the disc database folder is a file): a disc change that
// comes while the box is up starts no load and so no second box; once it is closed the
// next change reloads again.
TEST(MediaWatcher, ChangesWhileALoadErrorIsShownAddNoSecondBox) {
    struct BoxNotifier : UserNotifier {
        void ShowMessage(const std::string& text, Icon) override {
            messages.push_back(text);
            if (auto inside = std::exchange(whileShown, nullptr))
                inside();
        }
        std::vector<std::string> messages;
        std::function<void()> whileShown;
    } notifier;
    test::DemoWindow demo;
    test::WriteFile(demo.home / "db", "");
    demo.window = std::make_unique<gui::MainWindow>(notifier, demo.drives);
    gui::DiscController& discs = test::DiscsOf(*demo.window);
    QSignalSpy loaded(&discs, &gui::DiscController::discLoaded);
    ASSERT_TRUE(loaded.wait(30000));
    ASSERT_EQ(notifier.messages.size(), 1u);
    ASSERT_TRUE(discs.rows().empty());

    gui::MediaWatcher watcher(discs, [] { return false; });
    int loadsWhileShown = 0;
    notifier.whileShown = [&] {
        for (int i = 0; i < 3; ++i) {
            watcher.handle({MediaChangeKind::kArrival, "/dev/sr0"});
            loadsWhileShown += discs.busy();
        }
    };
    watcher.handle({MediaChangeKind::kArrival, "/dev/sr0"});
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(loadsWhileShown, 0);

    watcher.handle({MediaChangeKind::kArrival, "/dev/sr0"});
    EXPECT_TRUE(discs.busy());
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_EQ(notifier.messages.size(), 3u);
    demo.window.reset();
}

// Another disc in the drive: it reports UNIT ATTENTION, then spins the disc up. The
// watcher's one reload waits for it, the status line saying so, and lists the new disc.
// Taking the disc out lists nothing and says so on the status line, without a box.
TEST(MediaWatcher, ADiscChangeReloadsOnceWhenTheDriveIsReadyAndAnEmptyTraySaysSo) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    gui::DiscController& discs = test::DiscsOf(window);
    auto* native = dynamic_cast<CSCSIDriverNative*>(discs.driver());
    ASSERT_NE(native, nullptr);
    VirtualDrive* drive = native->VirtualDriveAt(native->currentDrive);
    ASSERT_NE(drive, nullptr);
    test::WriteFile(demo.home / "two.bin", std::string(300 * 2352, '\0'));
    test::WriteFile(demo.home / "two.cue",
                    "FILE \"two.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                    "TRACK 02 AUDIO\nINDEX 01 00:02:00\n");
    DiscImage two;
    std::string error;
    ASSERT_TRUE(LoadCueImage(demo.home / "two.cue", two, error)) << error;

    gui::MediaWatcher watcher(discs, [] { return false; });
    QSignalSpy loaded(&discs, &gui::DiscController::discLoaded);
    QSignalSpy status(&discs, &gui::DiscController::statusChanged);
    drive->faults().becomingReadyMs = 300;
    drive->ChangeDisc(std::move(two));
    watcher.handle({MediaChangeKind::kArrival, "/dev/sr0"});
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_FALSE(discs.busy()) << "one reload, not a second one after it";
    EXPECT_EQ(discs.rows().size(), 2u);
    QStringList shown;
    for (const QList<QVariant>& args : status)
        shown << args.at(0).toString();
    EXPECT_TRUE(shown.contains(QStringLiteral("正在等待驱动器就绪...")))
        << shown.join(QLatin1Char('|')).toStdString();

    drive->ChangeDisc(std::nullopt);
    watcher.handle({MediaChangeKind::kRemoval, "/dev/sr0"});
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_TRUE(discs.rows().empty());
    EXPECT_TRUE(test::StatusOf(window)->text().endsWith(QStringLiteral("驱动器中没有光盘")))
        << test::StatusOf(window)->text().toStdString();
    EXPECT_TRUE(demo.notifier.messages.empty());
}

}  // namespace
}  // namespace korvida
