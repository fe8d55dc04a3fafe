// A disc leaving and coming back on the real window: the edits survive because the
// removal stores them before the list is emptied.
#include <gtest/gtest.h>

#include "gui/GuiTestSupport.h"
#include "gui/app/DiscController.h"
#include "gui/app/MediaWatcher.h"

namespace korvida {
namespace {

TEST(MediaWatcher, ARemovalStoresTheEditsBeforeTheListEmpties) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    gui::DiscController& discs = window.discs();
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

}  // namespace
}  // namespace korvida
