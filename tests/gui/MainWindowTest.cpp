#include "gui/app/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "core/cdrom/DemoDisc.h"
#include "core/jobs/Messages.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/app/QtMessageTarget.h"
#include "support/RecordingNotifier.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

using test::RecordingNotifier;

TEST(MainWindow, OpensWithTheStoredLayoutAndSavesItAtExit) {
    App();
    test::TempHome home;
    ::setenv("KORVIDA_GSETTINGS", "/bin/false", 1);
    test::WriteFile(home / "Settings.ini",
                    "; kept\n[Misc]\nWindowWidth=700\nWindowHeight=400\nColumnWidth2=300\n");
    RecordingNotifier notifier;
    DriveSources drives;
    drives.scanRealDrives = false;
    drives.images = {MakeDemoDisc(home / "demo")};
    {
        gui::MainWindow window(notifier, drives);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvida CD Ripper"));
        EXPECT_EQ(window.width(), 700);
        QTreeWidgetItem* header = window.trackList()->headerItem();
        ASSERT_EQ(window.trackList()->columnCount(), 4);
        EXPECT_EQ(header->text(0), QStringLiteral("编号"));
        EXPECT_EQ(header->text(1), QStringLiteral("标题"));
        EXPECT_EQ(header->text(2), QStringLiteral("长度(分钟)"));
        EXPECT_EQ(header->text(3), QStringLiteral("大小(MB)"));
        EXPECT_EQ(window.trackList()->columnWidth(1), 300);
        ASSERT_EQ(window.trackList()->topLevelItemCount(), 3);
        QTreeWidgetItem* first = window.trackList()->topLevelItem(0);
        EXPECT_EQ(first->text(0), QStringLiteral("01"));
        EXPECT_EQ(first->text(1), QStringLiteral("音轨 1"));
        EXPECT_EQ(first->text(2), QStringLiteral("00:21"));
        EXPECT_EQ(first->checkState(0), Qt::Checked);
        EXPECT_TRUE(window.statusLine()->text().startsWith(QStringLiteral("设备: KORVIDA ")));
        EXPECT_EQ(window.timeDisplay()->text(), QStringLiteral("00:00"));
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.trackList()->geometry(), QRect(27, 62, 700 - 55, 400 - 118));
        window.resize(650, 420);
        window.trackList()->setColumnWidth(0, 70);
    }
    EXPECT_TRUE(notifier.messages.empty());
    const std::string text = test::ReadFile(home / "Settings.ini");
    EXPECT_EQ(text.rfind("; kept\n", 0), 0u);
    EXPECT_NE(text.find("WindowWidth=650\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WindowHeight=420\n"), std::string::npos);
    EXPECT_NE(text.find("ColumnWidth1=70\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(home / "output"));
    // Closing stores the disc's description.
    EXPECT_NE(test::ReadFile(home / "db/14004103.db").find("[TRACKS]\n01=音轨 1\n"),
              std::string::npos);
}

TEST(MainWindow, WithoutADriveTheStatusLineSaysSo) {
    App();
    test::TempHome home;
    ::setenv("KORVIDA_GSETTINGS", "/bin/false", 1);
    RecordingNotifier notifier;
    DriveSources none;
    none.scanRealDrives = false;
    gui::MainWindow window(notifier, none);
    EXPECT_EQ(window.statusLine()->text(), QStringLiteral("没有找到 CDROM！"));
    EXPECT_EQ(window.trackList()->topLevelItemCount(), 0);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"在 Linux (SG_IO) 下初始化出错。"});
}

TEST(QtMessageTarget, WorkerMessagesArriveOnTheUiThreadInOrder) {
    App();
    QObject receiver;
    std::vector<unsigned> seen;
    std::atomic<bool> allOnUiThread{true};
    const auto uiThread = std::this_thread::get_id();
    gui::QtMessageTarget target(&receiver, [&](const Message& m) {
        if (std::this_thread::get_id() != uiThread)
            allOnUiThread = false;
        seen.push_back(m.id);
    });
    std::atomic<bool> done{false};
    std::thread worker([&] {
        target.post(WM_EXTRACT_PROGRESS, 10);
        target.send(WM_JOB_LOG, 0, 0, "line");  // blocks until the UI thread handled it
        target.send(WM_JOB_DONE);
        done = true;
    });
    while (!done)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    QApplication::processEvents();
    EXPECT_TRUE(allOnUiThread);
    EXPECT_EQ(seen, (std::vector<unsigned>{WM_EXTRACT_PROGRESS, WM_JOB_LOG, WM_JOB_DONE}));
}

TEST(QtMessageTarget, PostedMessagesOutliveTheTargetThatSentThem) {
    App();
    QObject receiver;
    std::vector<std::string> seen;
    auto target = std::make_unique<gui::QtMessageTarget>(
        &receiver, [&](const Message& m) { seen.push_back(m.text); });
    target->post(WM_JOB_LOG, 0, 0, "last words");
    target.reset();  // the job ended before the UI thread came round to its message
    QApplication::processEvents();
    EXPECT_EQ(seen, std::vector<std::string>{"last words"});
}

// A window that closes while a worker waits in a send to it must not wait for that
// worker: the send is released, and the message is not handled later.
TEST(QtMessageTarget, CloseReleasesAWorkerWaitingInSend) {
    App();
    QObject receiver;
    int handled = 0;
    gui::QtMessageTarget target(&receiver, [&](const Message&) { ++handled; });
    std::atomic<bool> sending{false};
    std::thread worker([&] {
        sending = true;
        target.send(WM_JOB_LOG);
    });
    while (!sending)
        std::this_thread::yield();
    target.Close();
    worker.join();  // a blocking queued call would hang here
    QApplication::processEvents();
    EXPECT_EQ(handled, 0);
}

}  // namespace
}  // namespace korvida
