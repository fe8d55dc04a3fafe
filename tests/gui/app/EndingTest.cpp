// How the desktop program ends when it is told to, and when a worker fails under it.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <filesystem>

#include "core/cdrom/VirtualDrive.h"
#include "core/jobs/Messages.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/app/JobController.h"
#include "gui/app/TerminationSignals.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;

// SIGTERM during a rip: the program hears it on the UI thread instead of dying, and
// ending the window then, as the program does, cancels the job, waits for its clean-up
// (no temporary file stays) and stores the settings as a normal close does.
TEST(Ending, SigtermDuringARipEndsTheJobCleanlyAndStoresTheSettings) {
    test::DemoWindow demo;
    demo.home.KeepTemporaryFilesInside();
    // Reads that take their time, so the signal comes while the first track is read.
    ASSERT_TRUE(demo.SlowDownReads(20));
    gui::TerminationSignals termination;
    QSignalSpy requested(&termination, &gui::TerminationSignals::requested);
    gui::MainWindow& window = demo.Open();

    QSignalSpy messages(&test::JobsOf(window), &gui::JobController::jobMessage);
    test::ActionOf(window, gui::cmd::kRip)->trigger();
    bool reading = false;
    while (!reading && messages.wait(10000)) {
        for (const QList<QVariant>& m : messages)
            reading = reading || m[0].value<Message>().id == WM_EXTRACT_PROGRESS;
        messages.clear();
    }
    ASSERT_TRUE(reading);
    ASSERT_FALSE(test::TemporaryFilesUnder(demo.home.path()).empty());

    ::raise(SIGTERM);
    ::raise(SIGTERM);  // a second one changes nothing
    ASSERT_TRUE(requested.wait(5000));
    EXPECT_EQ(requested[0][0].toInt(), SIGTERM);
    EXPECT_TRUE(test::JobsOf(window).running());
    demo.window.reset();
    EXPECT_TRUE(test::TemporaryFilesUnder(demo.home.path()).empty());
    EXPECT_NE(test::ReadFile(demo.home / "Settings.ini").find("WindowWidth="), std::string::npos);
}

// A demo-disc folder that is a symbolic link to itself: the load fails with a message
// naming it, and the program goes on.
TEST(Ending, ALoopingDemoDiscFolderFailsTheLoadNotTheProgram) {
    test::DemoWindow demo({}, false);
    gui::MainWindow& window = demo.Open();
    fs::create_directory_symlink("demo-disc", demo.home / "demo-disc");
    QSignalSpy loaded(&test::DiscsOf(window), &gui::DiscController::discLoaded);
    test::DiscsOf(window).openDemoDisc();
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_FALSE(loaded[0][0].toBool());
    ASSERT_FALSE(demo.notifier.messages.empty());
    EXPECT_NE(demo.notifier.messages.back().find(demo.home / "demo-disc"), std::string::npos)
        << demo.notifier.messages.back();
}

}  // namespace
}  // namespace korvida
