#include "gui/app/MainWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <atomic>
#include <filesystem>
#include <thread>

#include "core/cdrom/VirtualDrive.h"
#include "core/jobs/Messages.h"
#include "core/settings/Settings.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/CommandTable.h"
#include "gui/app/DiscController.h"
#include "gui/app/QtMessageTarget.h"
#include "gui/app/TrackTableModel.h"
#include "gui/settings/AppearancePage.h"
#include "gui/settings/CdromPage.h"
#include "gui/settings/OptionsSheet.h"

namespace korvida {
namespace {

using test::App;
using test::DemoWindow;

TEST(MainWindow, OpensWithTheStoredLayoutAndSavesItAtExit) {
    DemoWindow demo("; kept\n[Misc]\nWindowWidth=700\nWindowHeight=400\nColumnWidth1=50\n");
    {
        gui::MainWindow& window = demo.Open();
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvida CD Ripper"));
        EXPECT_EQ(window.width(), 700);
        QAbstractItemModel* model = test::ListOf(window)->model();
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("编号"));
        EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("大小(MB)"));
        EXPECT_EQ(test::ListOf(window)->columnWidth(0), 50);
        ASSERT_EQ(model->rowCount(), 3);
        EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("音轨 1"));
        EXPECT_EQ(model->index(0, 2).data().toString(), QStringLiteral("00:21"));
        EXPECT_EQ(model->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_TRUE(test::StatusOf(window)->text().startsWith(QStringLiteral("设备: KORVIDA ")));
        // Until something plays, the time display shows the disc's length.
        EXPECT_EQ(test::TimeOf(window)->text(), QStringLiteral("01:05"));
        window.resize(650, 420);
    }
    demo.window.reset();
    EXPECT_TRUE(demo.notifier.messages.empty());
    const std::string text = test::ReadFile(demo.home / "Settings.ini");
    EXPECT_EQ(text.rfind("; kept\n", 0), 0u);
    EXPECT_NE(text.find("WindowWidth=650\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WindowHeight=420\n"), std::string::npos);
    EXPECT_NE(text.find("ColumnWidth1=50\n"), std::string::npos);
    // Closing stores the disc's description.
    EXPECT_NE(test::ReadFile(demo.home / "db/14004103.db").find("[TRACKS]\n01=音轨 1\n"),
              std::string::npos);
}

TEST(MainWindow, EveryCommandIsAnActionWithItsNumberAndAHandler) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    // The command numbers of the menus, the context menu, the accelerators and the
    // image buttons.
    const int ids[] = {32777, 32778, 32782, 32784, 32785, 32786, 32787, 32788, 32789, 32790, 32791,
                       32792, 32793, 32794, 32796, 32797, 32801, 32802, 32807, 32814, 32815, 32816,
                       32817, 32819, 32820, 32824, 32830, 32833, 32834, 32848, 32852, 32853, 32854,
                       32855, 32856, 32857, 32858, 32859, 32860, 32861, 33001, 33002, 33003, 33004,
                       33005, 33006, 33007, 33008, 33009, 33010, 33011, 33013, 33014, 33015, 33016,
                       33017, 33018, 33019, 34006, 34007, 34008, 34009};
    for (int id : ids) {
        QAction* action = test::ActionOf(window, id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->data().toInt(), id);
        EXPECT_FALSE(action->text().isEmpty()) << id;
    }
    const std::pair<const char*, int> keys[] = {
        {"Ctrl+A", 32824}, {"Ctrl+C", 32789}, {"Ctrl+E", 32802}, {"Ctrl+F", 32814},
        {"Ctrl+M", 32901}, {"Ctrl+N", 32786}, {"Ctrl+O", 32788}, {"Ctrl+P", 32793},
        {"Ctrl+Q", 32791}, {"Ctrl+R", 32857}, {"Ctrl+S", 32794}, {"Ctrl+V", 32830},
        {"Ctrl+X", 32790}, {"F2", 32784},     {"F3", 32782},     {"F5", 32807},
        {"F12", 32848}};
    for (const auto& [key, id] : keys)
        EXPECT_EQ(test::ActionOf(window, id)->shortcut(), QKeySequence(QString::fromLatin1(key)))
            << key;
    EXPECT_EQ(test::MenuOf(window, 0)->title(), QStringLiteral("文件(&F)"));
    EXPECT_EQ(test::MenuOf(window, 3)->title(), QStringLiteral("帮助(&H)"));
    // Image buttons run their command's handler: 33011 rips (here: the list is empty of
    // ticks, so the rip command says so).
    test::ActionOf(window, gui::cmd::kSelectNone)->trigger();
    test::ActionOf(window, gui::cmd::kButtonRip)->trigger();
    EXPECT_EQ(demo.notifier.messages,
              std::vector<std::string>{"请至少选择一首音轨，\n可点击左侧复选框进行选择。"});
}

TEST(MainWindow, WithoutADriveTheStatusLineSaysSoAndTheDemoDiscIsOffered) {
    DemoWindow demo({}, false);
    gui::MainWindow& window = demo.Open();
    EXPECT_EQ(test::StatusOf(window)->text(), QStringLiteral("没有找到 CDROM！"));
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 0);
    EXPECT_EQ(demo.notifier.messages, std::vector<std::string>{"在 Linux (SG_IO) 下初始化出错。"});
    // F3 on the empty list.
    test::ActionOf(window, gui::cmd::kDiscInfoKey)->trigger();
    EXPECT_EQ(demo.notifier.messages.back(), "没有 CD 可以使用！");
    window.show();
    ASSERT_TRUE(test::DemoButtonOf(window)->isVisible());
    // The demo disc is written into the app home once; here it is there already.
    std::filesystem::create_directories(demo.home / "demo-disc");
    const std::string shared = test::SharedDemoDisc();
    std::filesystem::copy_file(shared, demo.home / "demo-disc/demo.cue");
    std::filesystem::copy_file(shared.substr(0, shared.size() - 3) + "bin",
                               demo.home / "demo-disc/demo.bin");
    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    test::DemoButtonOf(window)->click();
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 3);
    EXPECT_TRUE(test::StatusOf(window)->text().startsWith(QStringLiteral("设备: KORVIDA ")));
    EXPECT_FALSE(test::DemoButtonOf(window)->isVisible());
}

// A drive that takes 3 s to answer INQUIRY: the window paints and its menu opens while
// the worker waits for it.
TEST(MainWindow, ASlowDriveDoesNotFreezeTheWindow) {
    DemoWindow demo;
    std::string error;
    std::shared_ptr<VirtualDrive> slow = VirtualDrive::Open(demo.drives.images[0], error);
    ASSERT_TRUE(slow) << error;
    slow->faults().delayMs[0x12] = 3000;  // INQUIRY
    demo.drives.images.clear();
    demo.drives.virtualDrives = {slow};
    demo.window = std::make_unique<gui::MainWindow>(demo.notifier, demo.drives);
    gui::MainWindow& window = *demo.window;
    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    window.show();
    EXPECT_EQ(test::StatusOf(window)->text(), QStringLiteral("正在查找 CD-ROM 驱动器..."));
    QApplication::processEvents();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    test::ListOf(window)->viewport()->installEventFilter(&counter);
    test::ListOf(window)->viewport()->update();
    EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.paints > 0; }));
    test::MenuOf(window, 1)->popup(window.mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_TRUE(test::MenuOf(window, 1)->isVisible());
    test::MenuOf(window, 1)->hide();
    EXPECT_EQ(ready.count(), 0);  // still waiting for the drive
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 3);
}

TEST(TrackTableModel, NinetyNineRowsKeepTheirOrderAndATickWritesTheRow) {
    App();
    TrackList rows;
    for (int i = 98; i >= 0; --i) {
        TrackList::Row row;
        row.texts = {FormatTrackNumber(i), "t" + std::to_string(i), "00:01", "0.17"};
        row.trackIndex = i;
        rows.AddRow(row);
    }
    gui::TrackTableModel model(rows);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 99);
    EXPECT_EQ(model.index(0, 0).data(gui::TrackTableModel::kTrackIndexRole).toInt(), 98);
    EXPECT_TRUE(model.setData(model.index(5, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(rows.row(5).checked);
    EXPECT_EQ(model.index(98, 0).data(gui::TrackTableModel::kTrackIndexRole).toInt(), 0);
}

TEST(MainWindow, TheSmallestWindowShowsEveryControl) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    window.resize(600, 380);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(600, 380));
    for (QAction* action : test::ToolBarOf(window)->actions()) {
        if (action->isSeparator())
            continue;
        QWidget* button = test::ToolBarOf(window)->widgetForAction(action);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisible()) << action->text().toStdString();
        EXPECT_TRUE(window.rect().contains(button->mapTo(&window, button->rect().bottomRight())))
            << action->text().toStdString();
    }
    EXPECT_TRUE(test::StatusOf(window)->isVisible());
    EXPECT_TRUE(test::TimeOf(window)->isVisible());
    EXPECT_GT(test::ListOf(window)->viewport()->height(), 3 * 16);
}

TEST(MainWindow, MessagesFromWorkersAndADroppedCueSheet) {
    DemoWindow demo({}, false);
    gui::MainWindow& window = demo.Open();
    demo.notifier.messages.clear();
    // A dropped CD image becomes the current drive.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(test::SharedDemoDisc()))});
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    // Straight to the window: without a drag in progress Qt would not deliver a drop.
    static_cast<QObject&>(window).event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(test::DiscsOf(window).busy()) << test::StatusOf(window)->text().toStdString();
    ASSERT_TRUE(ready.wait(30000));
    ASSERT_EQ(test::ListOf(window)->model()->rowCount(), 3);

    MessageTarget& target = window.messageTarget();
    target.send(WM_TITLE_EDITED, 1, 0, "新标题");
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[1].Title, "新标题");
    EXPECT_EQ(test::ListOf(window)->model()->index(1, 1).data().toString(),
              QStringLiteral("新标题"));
    target.send(WM_CURRENT_TRACK, 2);
    EXPECT_TRUE(test::ListOf(window)->selectionModel()->isRowSelected(2, {}));
    target.send(WM_STATUS_HINT, 1, 0, "提示");
    EXPECT_EQ(test::StatusOf(window)->text(), QStringLiteral("提示"));
    target.send(WM_STATUS_HINT, 0);
    EXPECT_TRUE(test::StatusOf(window)->text().startsWith(QStringLiteral("设备: KORVIDA ")));
    target.send(WM_JOB_LOG, 0, 0, "a line");
    EXPECT_EQ(test::LogOf(window).lines(), QStringList{QStringLiteral("a line")});
    test::ActionOf(window, gui::cmd::kSelectNone)->trigger();
    target.send(WM_RIP_REQUEST, 1);
    EXPECT_EQ(demo.notifier.messages,
              std::vector<std::string>{"请至少选择一首音轨，\n可点击左侧复选框进行选择。"});
}

// Runs the options sheet from the Edit menu; `change` sets its controls before OK.
void ChangeOptions(gui::MainWindow& window, std::function<void(gui::OptionsSheet&)> change) {
    test::OnNextModal([change](QWidget* modal) {
        auto* sheet = qobject_cast<gui::OptionsSheet*>(modal);
        ASSERT_NE(sheet, nullptr);
        change(*sheet);
        sheet->accept();
    });
    test::ActionOf(window, gui::cmd::kOptions)->trigger();
}

TEST(MainWindow, TheOptionsSheetIsAppliedAfterOkAndSavedAtExit) {
    using gui::OptionsPageId;
    DemoWindow demo("[COLOR]\nBackgroundColor=255\n");
    // A second drive: a copy of the demo disc.
    const std::filesystem::path first = test::SharedDemoDisc();
    const std::filesystem::path second = demo.home / "second";
    std::filesystem::create_directories(second);
    for (const auto& file : std::filesystem::directory_iterator(first.parent_path()))
        std::filesystem::copy_file(file.path(), second / file.path().filename());
    demo.drives.images.push_back((second / first.filename()).string());
    gui::MainWindow& window = demo.Open();
    ASSERT_EQ(test::StatusOf(window)->text(), QStringLiteral("设备: KORVIDA VIRTUAL CD-ROM A  "));
    EXPECT_EQ(test::ListOf(window)->palette().color(QPalette::Base), QColor(255, 0, 0));
    CSCSIDriver* driver = test::DiscsOf(window).driver();
    QSignalSpy ready(&window, &gui::MainWindow::discReady);

    // The drive type alone: the same driver reads with it from now on; nothing reloads.
    ChangeOptions(window, [](gui::OptionsSheet& sheet) {
        sheet.selectPage(OptionsPageId::kCdrom);
        sheet.page<gui::CdromPage>(OptionsPageId::kCdrom)->typeList()->setCurrentIndex(3);
    });
    EXPECT_EQ(test::DiscsOf(window).driver(), driver);
    EXPECT_FALSE(test::DiscsOf(window).busy());
    EXPECT_EQ(static_cast<CSCSIDriverNative*>(driver)->DeviceType(), 3);
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 3);

    // The other drive and the default colours.
    ChangeOptions(window, [](gui::OptionsSheet& sheet) {
        sheet.selectPage(OptionsPageId::kCdrom);
        sheet.page<gui::CdromPage>(OptionsPageId::kCdrom)->driveList()->setCurrentIndex(1);
        sheet.selectPage(OptionsPageId::kAppearance);
        sheet.page<gui::AppearancePage>(OptionsPageId::kAppearance)->defaultsButton()->click();
    });
    EXPECT_EQ(test::ListOf(window)->palette().color(QPalette::Base), QColor(0x00, 0x40, 0x80));
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(ready.count(), 1);
    EXPECT_EQ(test::DiscsOf(window).driver(), driver);
    EXPECT_EQ(test::DiscsOf(window).driver()->currentDrive, 1);
    EXPECT_EQ(test::StatusOf(window)->text(), QStringLiteral("设备: KORVIDA VIRTUAL CD-ROM B  "));
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 3);

    demo.window.reset();
    EXPECT_TRUE(demo.notifier.messages.empty()) << demo.notifier.messages.front();
    const std::string text = test::ReadFile(demo.home / "Settings.ini");
    EXPECT_NE(text.find("CDROMDriver=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("DeviceType=3\n"), std::string::npos);
    EXPECT_NE(text.find("BackgroundColor=8404992\n"), std::string::npos);
}

TEST(MainWindow, TheBatchFileDialogOpensTheOptionsSheetOverItself) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    bool overFileDialog = false;
    test::OnNextModal([&overFileDialog](QWidget* fileDialog) {
        // The sheet comes up over the file dialog, which is modal already.
        auto* watch = new QTimer(fileDialog);
        watch->callOnTimeout([fileDialog, watch, &overFileDialog] {
            auto* sheet = qobject_cast<gui::OptionsSheet*>(QApplication::activeModalWidget());
            if (!sheet)
                return;
            watch->stop();
            overFileDialog = sheet->parentWidget() == fileDialog;
            sheet->selectPage(gui::OptionsPageId::kCdrom);
            sheet->page<gui::CdromPage>(gui::OptionsPageId::kCdrom)->typeList()->setCurrentIndex(5);
            sheet->accept();
            qobject_cast<QDialog*>(fileDialog)->reject();
        });
        watch->start(10);
        test::ButtonCaptioned(*fileDialog, QStringLiteral("选项..."))->click();
    });
    test::ActionOf(window, gui::cmd::kEncodeWavToMp3)->trigger();
    EXPECT_TRUE(overFileDialog);
    EXPECT_EQ(TheSettings().DeviceType, 5);
    EXPECT_EQ(static_cast<CSCSIDriverNative*>(test::DiscsOf(window).driver())->DeviceType(), 5);
}

// Pixels of exactly `color` in the track list as it is drawn now.
int PixelsOf(gui::MainWindow& window, QColor color) {
    const QImage image = test::ListOf(window)->viewport()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == color;
    return count;
}

TEST(MainWindow, TheTrackListDrawsTheTextShadowWhileItIsSwitchedOn) {
    DemoWindow demo("[COLOR]\nTextShadowColor=65280\nBoolShadowColor=1\n");
    gui::MainWindow& window = demo.Open();
    window.resize(500, 300);
    const QColor green(0, 255, 0);
    EXPECT_GT(PixelsOf(window, green), 20);
    ChangeOptions(window, [](gui::OptionsSheet& sheet) {
        sheet.selectPage(gui::OptionsPageId::kAppearance);
        sheet.page<gui::AppearancePage>(gui::OptionsPageId::kAppearance)
            ->shadowBox()
            ->setChecked(false);
    });
    EXPECT_EQ(PixelsOf(window, green), 0);
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
