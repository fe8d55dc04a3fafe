// Jobs from the GUI: the progress window on its own, fed messages, and whole jobs
// started through the window's commands on the demo disc and on files.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

#include "core/cdrom/VirtualDrive.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipStep.h"
#include "core/settings/Settings.h"
#include "gui/GuiTestSupport.h"
#include "gui/VerifiedRipJob.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/app/JobController.h"
#include "gui/progress/CompletionPage.h"
#include "gui/progress/LogWindow.h"
#include "gui/progress/ProgressPage.h"
#include "gui/progress/ProgressWindow.h"
#include "support/AudioTestSupport.h"
#include "support/RunCli.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;
using gui::ProgressWindow;

// The progress window's parts.
gui::ProgressPage* Page(const ProgressWindow& window, const char* name) {
    return test::PointerTo<gui::ProgressPage>(window, name);
}
QPushButton* ButtonOf(const ProgressWindow& window) {
    return test::PointerTo<QPushButton>(window, "button");
}
gui::CompletionPage* CompletionOf(const ProgressWindow& window) {
    return test::PointerTo<gui::CompletionPage>(window, "completionPage");
}

struct LoneWindow {
    LoneWindow(int total, gui::JobMode mode) : window(total, mode, log, notifier) {
        QObject::connect(&window, &ProgressWindow::startJob, [this](int w, int l) {
            start = {w, l};
        });
    }
    gui::LogLines log;
    test::RecordingNotifier notifier;
    ProgressWindow window;
    std::pair<int, int> start{-1, -1};
};

TEST(ProgressWindow, ProgressTextsAndTheEstimate) {
    test::App();
    LoneWindow w(1, gui::JobMode::kRip);
    gui::ProgressPage* page = Page(w.window, "extractPage");
    EXPECT_EQ(page->barText(), QStringLiteral("正在初始化....."));
    w.window.HandleMessage({WM_EXTRACT_PROGRESS, 453, 90500, {}});
    EXPECT_EQ(page->barText(), QStringLiteral("45.3%"));
    EXPECT_EQ(page->elapsedText(), QStringLiteral("01:30"));
    EXPECT_EQ(page->estimateText(), QStringLiteral("03:19"));  // 199779 ms
    w.window.HandleMessage({WM_EXTRACT_PROGRESS, 0, 91000, {}});
    EXPECT_EQ(page->barText(), QStringLiteral("0.0%"));
    EXPECT_EQ(page->estimateText(), QStringLiteral("03:19"));  // kept
    // e × 1000 wraps in 32 bits after 71 minutes, as it always did.
    w.window.HandleMessage({WM_ENCODE_PROGRESS, 1000, 4294968, {}});
    EXPECT_EQ(Page(w.window, "encodePage")->estimateText(), QStringLiteral("00:00"));
}

// The visible encoder lines of a page: text and bar text.
std::vector<std::pair<QString, QString>> EncoderLines(QWidget* page) {
    std::vector<std::pair<QString, QString>> lines;
    const auto texts = page->findChildren<QLabel*>(QStringLiteral("encoderText"));
    const auto bars = page->findChildren<QProgressBar*>(QStringLiteral("encoderBar"));
    for (int i = 0; i < texts.size() && i < bars.size(); ++i)
        if (!texts[i]->isHidden())
            lines.emplace_back(texts[i]->text(), bars[i]->format());
    return lines;
}

// A rip whose reader runs ahead of two encoders: the caption, a line for each encoder,
// the end of the reading and the steps after it, each in words.
TEST(ProgressWindow, WhileTheReaderRunsAheadEachEncoderAndEveryStepShows) {
    test::App();
    LoneWindow w(20, gui::JobMode::kRip);
    w.window.show();  // its clock ticks while it is shown
    QWidget* page = Page(w.window, "extractPage");
    auto* group = page->findChild<QGroupBox*>(QStringLiteral("stageGroup"));
    auto* bar = page->findChild<QProgressBar*>(QStringLiteral("stageBar"));
    auto* left = page->findChild<QLabel*>(QStringLiteral("jobLeft"));
    ASSERT_TRUE(group && bar && left);
    const auto name = [](int n) { return "音轨 " + std::to_string(n); };
    for (int n = 1; n <= 19; ++n) {
        w.window.HandleMessage({WM_ITEM_STATUS, 0, 0, name(n)});
        w.window.HandleMessage({WM_EXTRACT_PROGRESS, 1000, 900, {}});
        if (n <= 14) {
            w.window.HandleMessage({WM_ENCODE_BEHIND, n, 20, name(n)});
            w.window.HandleMessage({WM_ENCODE_BEHIND_PROGRESS, 1000, n, {}});
        }
    }
    w.window.HandleMessage({WM_RIP_STEP, static_cast<int>(RipStep::kTestRead), 0, {}});
    w.window.HandleMessage({WM_ENCODE_BEHIND, 15, 20, name(15)});
    w.window.HandleMessage({WM_ENCODE_BEHIND, 16, 20, name(16)});
    w.window.HandleMessage({WM_ENCODE_BEHIND_PROGRESS, 300, 15, {}});
    w.window.HandleMessage({WM_ENCODE_BEHIND_PROGRESS, 100, 16, {}});
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("正在抓取 (19/20): 音轨 19 — 已编码 14/20"));
    EXPECT_EQ(group->title(), QStringLiteral("正在抓取 CDDA: 测试读取"));
    EXPECT_EQ(EncoderLines(page),
              (std::vector<std::pair<QString, QString>>{
                  {QStringLiteral("正在编码 (15/20): 音轨 15"), QStringLiteral("30.0%")},
                  {QStringLiteral("正在编码 (16/20): 音轨 16"), QStringLiteral("10.0%")}}));
    EXPECT_FALSE(left->isHidden());
    // Messages handled within one millisecond give no time to estimate from; the window's
    // clock ticks on and says it.
    const auto estimated = [left] {
        return QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(left->text()).hasMatch();
    };
    EXPECT_TRUE(QTest::qWaitFor(estimated, 5000)) << left->text().toStdString();

    // Reading done: its bar goes, the encoders go on and the caption follows them.
    w.window.HandleMessage({WM_ITEM_STATUS, 0, 0, name(20)});
    w.window.HandleMessage({WM_RIP_STEP, static_cast<int>(RipStep::kReadingDone), 0, {}});
    EXPECT_EQ(group->title(), QStringLiteral("读取完成，正在编码余下的音轨"));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(w.window.windowTitle(), QStringLiteral("正在编码 (15/20): 音轨 15"));
    for (int n = 15; n <= 20; ++n) {
        if (n >= 17)
            w.window.HandleMessage({WM_ENCODE_BEHIND, n, 20, name(n)});
        w.window.HandleMessage({WM_ENCODE_BEHIND_PROGRESS, 1000, n, {}});
    }
    EXPECT_TRUE(EncoderLines(page).empty());
    w.window.HandleMessage({WM_RIP_STEP, static_cast<int>(RipStep::kAlbumReplayGain), 0, {}});
    EXPECT_EQ(group->title(), QStringLiteral("正在写入专辑的 ReplayGain 标签"));
    EXPECT_EQ(w.window.windowTitle(), group->title());
    EXPECT_EQ(left->text(), QStringLiteral("00:00"));
}

// Twenty files with long names: every result stays in view beside its name, the list
// shows many of them and grows with the window, and one line says what they mean.
TEST(CompletionPage, EveryResultStaysInViewAndOneLineSaysWhatTheyMean) {
    test::App();
    LoneWindow w(20, gui::JobMode::kRip);
    w.window.show();
    const auto job = test::VerifiedRipJob("/home/user/Music/Korvida/");
    w.window.HandleMessage({WM_JOB_DONE, reinterpret_cast<std::intptr_t>(job.get()), 0, {}});
    auto* list = w.window.findChild<QTreeWidget*>(QStringLiteral("completionFiles"));
    auto* text = w.window.findChild<QLabel*>(QStringLiteral("completionText"));
    ASSERT_TRUE(list && text);
    EXPECT_EQ(
        text->text().section(QLatin1Char('\n'), 0, 0),
        QStringLiteral("20 条音轨中 16 条与 AccurateRip 数据库中其他人的抓取一致；2 条不一致 — "
                       "可能是划痕或读取错误；1 条在数据库中还没有记录；1 条全为静音，无法校验；"
                       "1 条音轨多次读取互不一致 — 文件可能有错误。"));
    EXPECT_EQ(list->topLevelItem(8)->text(1),
              QStringLiteral("可疑 (多次读取不一致); 不准确; 可疑位置 02:20.13 - 02:20.40"));
    EXPECT_TRUE(text->toolTip().contains(QStringLiteral("“不准确”")));
    ASSERT_EQ(list->topLevelItemCount(), 20);
    QTreeWidgetItem* fourth = list->topLevelItem(3);
    EXPECT_EQ(fourth->text(0), QStringLiteral("演示歌手/一张名字很长的专辑 (二十周年纪念版)/"
                                              "04 - 第 4 首歌的名字也相当长.MP3"));
    EXPECT_EQ(fourth->text(1), QStringLiteral("不准确"));
    EXPECT_TRUE(fourth->toolTip(0).startsWith(QStringLiteral("/home/user/Music/Korvida/演示歌手")));

    auto resultsInView = [list] {
        QCoreApplication::sendPostedEvents();
        const QHeaderView* header = list->header();
        if (header->sectionViewportPosition(1) + header->sectionSize(1) > list->viewport()->width())
            return false;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->fontMetrics().horizontalAdvance(list->topLevelItem(i)->text(1)) >
                header->sectionSize(1))
                return false;
        return true;
    };
    EXPECT_TRUE(resultsInView());
    const int rowHeight = list->visualItemRect(fourth).height();
    EXPECT_GE(list->viewport()->height() / rowHeight, 12);
    // Taller: the list takes the room. Narrower: the names give way, the results stay.
    const int height = list->height();
    w.window.resize(w.window.width(), w.window.height() + 150);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(list->height(), height + 150);
    w.window.resize(420, w.window.height());
    EXPECT_TRUE(resultsInView());
}

TEST(ProgressWindow, StartMessagesCaptionsAndPagesPerMode) {
    test::App();
    const std::pair<gui::JobMode, std::pair<int, int>> starts[] = {
        {gui::JobMode::kRip, {0, 4}},          {gui::JobMode::kEncodeMp3, {1, 4}},
        {gui::JobMode::kEncodeOgg, {1, 3}},    {gui::JobMode::kDecodeMp3, {1, 1}},
        {gui::JobMode::kNormaliseWav, {1, 2}}, {gui::JobMode::kEncodeFlac, {1, 5}},
        {gui::JobMode::kEncodeOpus, {1, 6}},   {gui::JobMode::kDecodeFlac, {1, 7}}};
    for (const auto& [mode, expected] : starts) {
        LoneWindow w(3, mode);
        QSignalSpy started(&w.window, &ProgressWindow::startJob);
        w.window.show();
        ASSERT_TRUE(started.wait());
        EXPECT_EQ(w.start, expected);
        w.window.hide();
    }
    LoneWindow rip(3, gui::JobMode::kRip);
    for (const char* name : {"a", "b", "c"}) {
        rip.window.HandleMessage({WM_ITEM_STATUS, 0, 0, name});
        rip.window.HandleMessage({WM_ITEM_STATUS, 1, 0, name});  // normalising
    }
    EXPECT_EQ(Page(rip.window, "extractPage")->groupText(), QStringLiteral("正在规格化 WAV "));
    rip.window.HandleMessage({WM_ENCODE_STATUS, 1, 0, "c"});
    EXPECT_EQ(rip.window.windowTitle(), QStringLiteral("正在编码 (03/03): c"));
    EXPECT_EQ(rip.window.page(), ProgressWindow::kEncodePage);
    EXPECT_EQ(Page(rip.window, "encodePage")->groupText(), QStringLiteral("正在编码 WAV 为 Ogg"));

    LoneWindow decode(2, gui::JobMode::kDecodeMp3);
    EXPECT_EQ(Page(decode.window, "encodePage")->groupText(),
              QStringLiteral("解码 MP3 为 WAV    "));
}

TEST(ProgressWindow, EscapeAbortsLikeTheButton) {
    test::App();
    LoneWindow w(1, gui::JobMode::kRip);
    int cancels = 0;
    QObject::connect(&w.window, &ProgressWindow::cancelJob, [&] { ++cancels; });
    w.window.show();
    QTest::keyClick(&w.window, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(w.window.isVisible());
    EXPECT_EQ(ButtonOf(w.window)->text(), QStringLiteral("终止(&A)"));
}

// Waits for the job started by a command to end: its window on its last page, its worker
// gone.
ProgressWindow* WaitForEnd(gui::MainWindow& window) {
    auto ended = [&window] {
        ProgressWindow* p = test::ProgressOf(window);
        return p &&
               (p->page() == ProgressWindow::kCompletionPage ||
                p->page() == ProgressWindow::kErrorPage) &&
               !test::JobsOf(window).running();
    };
    return QTest::qWaitFor(ended, 120000) ? test::ProgressOf(window) : nullptr;
}

// Closes a job's window with `close`; it is gone when this returns.
void CloseAndWait(ProgressWindow* progress, std::function<void()> close) {
    QSignalSpy closed(progress, &QDialog::finished);
    close();
    ASSERT_EQ(closed.count(), 1);
    // The window deletes itself on close; a deferred delete posted outside an event loop
    // waits for one.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The file's lines; none while it is not there yet.
std::vector<std::string> LinesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream text(fs::exists(path) ? test::ReadFile(path) : std::string());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

std::string Bytes(const std::string& path) {
    return test::ReadFile(path);
}

TEST(JobsFromTheGui, ARipThroughTheMenuMakesTheCliSFiles) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    test::ActionOf(window, gui::cmd::kRip)->trigger();
    ASSERT_NE(test::ProgressOf(window), nullptr);
    // The main window takes no commands while the job runs.
    test::ActionOf(window, gui::cmd::kSelectNone)->trigger();
    EXPECT_EQ(test::DiscsOf(window).rows().CheckedTracks().size(), 3u);
    ProgressWindow* progress = WaitForEnd(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->page(), ProgressWindow::kCompletionPage);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("已完成！"));
    EXPECT_EQ(ButtonOf(*progress)->text(), QStringLiteral("关闭"));
    const QStringList files = CompletionOf(*progress)->files();
    ASSERT_EQ(files.size(), 3);
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("/01-音轨 1.MP3"))) << files[0].toStdString();
    // Each file's verification beside it, both databases': the tests' lookups never leave
    // this machine.
    EXPECT_EQ(CompletionOf(*progress)->results(),
              QStringList(3, QStringLiteral("查询失败; CTDB: 查询失败")));
    CloseAndWait(progress, [progress] { ButtonOf(*progress)->click(); });
    EXPECT_EQ(test::ProgressOf(window), nullptr);

    const std::string theirs = demo.home / "cli";
    const auto cli = test::RunCli({"--image", test::SharedDemoDisc(), "rip", "--output", theirs});
    ASSERT_EQ(cli.status, 0) << cli.err;
    for (const QString& file : files) {
        const fs::path ours = file.toStdString();
        const std::string other = theirs + "/" + ours.filename().string();
        ASSERT_TRUE(fs::exists(other)) << other;
        EXPECT_TRUE(Bytes(ours) == Bytes(other)) << ours;
    }
}

TEST(JobsFromTheGui, ABatchEncodeOfTwoWavFilesThroughTheFileDialog) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    fs::create_directories(demo.home / "wav");
    std::vector<std::int16_t> samples(44100 * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>((i * 37) % 4000 - 2000);
    test::WriteFile(demo.home / "wav/一.wav", test::CdWav(samples));
    test::WriteFile(demo.home / "wav/two.wav", test::CdWav(samples));
    QString title;
    test::OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        EXPECT_NE(dialog->findChild<QPushButton*>(QStringLiteral("options")), nullptr);
        dialog->setDirectory(QString::fromStdString(demo.home / "wav"));
        dialog->selectFile(QStringLiteral("\"一.wav\" \"two.wav\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    test::ActionOf(window, gui::cmd::kEncodeWavToMp3)->trigger();
    EXPECT_EQ(title, QStringLiteral("编码 WAV 为 MP3"));
    ProgressWindow* progress = WaitForEnd(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->page(), ProgressWindow::kCompletionPage);
    EXPECT_EQ(CompletionOf(*progress)->files().size(), 2);
    EXPECT_TRUE(fs::exists(demo.home / "output/一.MP3"));
    EXPECT_TRUE(fs::exists(demo.home / "output/two.MP3"));
    ButtonOf(*progress)->click();
}

TEST(JobsFromTheGui, AJobFailingOnItsFirstItemShowsTheErrorPageAndTheLogEndsOnTheFailure) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    test::WriteFile(demo.home / "bad.wav", "no wave file here");
    test::OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        dialog->selectFile(QString::fromStdString(demo.home / "bad.wav"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    test::ActionOf(window, gui::cmd::kEncodeWavToOgg)->trigger();
    ProgressWindow* progress = WaitForEnd(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->page(), ProgressWindow::kErrorPage);
    EXPECT_EQ(ButtonOf(*progress)->text(), QStringLiteral("关闭"));
    QString last;
    test::OnNextModal([&](QWidget* modal) {
        auto* log = qobject_cast<gui::LogWindow*>(modal);
        ASSERT_NE(log, nullptr);
        EXPECT_EQ(log->windowTitle(), QStringLiteral("Korvida Maker 日志"));
        auto& lines = test::PartOf<QListWidget>(*log, "lines");
        last = lines.item(lines.count() - 1)->text();
        log->accept();
    });
    progress->findChild<QPushButton*>(QStringLiteral("viewLog"))->click();
    EXPECT_TRUE(last.contains(QStringLiteral("bad.wav"))) << last.toStdString();
    EXPECT_EQ(test::LogOf(window).lines().back(), last);
    ButtonOf(*progress)->click();
}

TEST(JobsFromTheGui, ARipWhoseRuleNamesTracksAlikeIsRefusedOnTheErrorPage) {
    test::DemoWindow demo("[General]\nOutputFormat=1\n[Misc]\nNamingRule=<album>\n");
    gui::MainWindow& window = demo.Open();
    test::ActionOf(window, gui::cmd::kRip)->trigger();
    ProgressWindow* progress = WaitForEnd(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->page(), ProgressWindow::kErrorPage);
    ASSERT_FALSE(demo.notifier.messages.empty());
    const std::string message = demo.notifier.messages.back();
    EXPECT_NE(message.find("音轨 1、2、3 → " + (demo.home / "output/Album.WAV")), std::string::npos)
        << message;
    EXPECT_TRUE(test::LogOf(window).lines().back().contains(QStringLiteral("命名规则 <album>")));
    EXPECT_FALSE(fs::exists(demo.home / "output/Album.WAV"));
    ButtonOf(*progress)->click();
}

// Escape over a running rip cancels it: the window closes at once, the main window stays
// closed to commands until the worker has ended, and what was done stays.
TEST(JobsFromTheGui, EscapeDuringARipCancelsItAndCommandsWaitForTheWorker) {
    test::DemoWindow demo("[General]\nOutputFormat=1\n");
    // Reads that take their time, so the cancel arrives while track 2 is read.
    ASSERT_TRUE(demo.SlowDownReads(20));
    gui::MainWindow& window = demo.Open();
    test::ActionOf(window, gui::cmd::kRip)->trigger();
    ProgressWindow* progress = test::ProgressOf(window);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([progress] {
        return progress->windowTitle().contains(QStringLiteral("(02/03)"));
    })) << progress->windowTitle().toStdString();
    QSignalSpy ended(&test::JobsOf(window), &gui::JobController::runningChanged);
    CloseAndWait(progress, [progress] { QTest::keyClick(progress, Qt::Key_Escape); });
    EXPECT_EQ(test::ProgressOf(window), nullptr);
    if (test::JobsOf(window).running()) {
        test::ActionOf(window, gui::cmd::kSelectNone)->trigger();  // refused while it runs
        EXPECT_EQ(test::DiscsOf(window).rows().CheckedTracks().size(), 3u);
        ASSERT_TRUE(ended.wait());
    }
    ASSERT_FALSE(test::JobsOf(window).running());
    EXPECT_EQ(test::DiscsOf(window).rows().CheckedTracks().size(), 3u);
    std::vector<std::string> made;
    for (const auto& entry : fs::directory_iterator(demo.home / "output"))
        made.push_back(entry.path().filename().string());
    std::sort(made.begin(), made.end());
    // The first track is whole; the second keeps what was read before the cancel (a
    // well-formed WAV file); the third was never begun.
    EXPECT_EQ(made, (std::vector<std::string>{"01-音轨 1.WAV", "02-音轨 2.WAV"}));
    EXPECT_LT(fs::file_size(demo.home / "output/02-音轨 2.WAV"), 17u * 176400);
    EXPECT_TRUE(test::LogOf(window)
                    .lines()
                    .join(QLatin1Char('\n'))
                    .contains(QStringLiteral("用户取消操作")));
    test::ActionOf(window, gui::cmd::kSelectNone)->trigger();
    EXPECT_TRUE(test::DiscsOf(window).rows().CheckedTracks().empty());
}

TEST(CompletionPage, PlaysEveryFileWithTheParametersOrSaysWhyNot) {
    test::App();
    test::TempHome home;
    const std::string script = home / "player";
    test::WriteFile(script, "#!/bin/sh\necho \"$@\" >> \"$0.log\"\n");
    fs::permissions(script, fs::perms::owner_all);
    TheSettings().MP3Player = script + "  ";
    TheSettings().MP3PlayerParameters = "-q";
    test::RecordingNotifier notifier;
    gui::CompletionPage page(notifier);
    page.PlayFiles();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"无播放条目！"});
    page.AddFile("/out/01 a.MP3");
    page.AddFile("/out/02.MP3");
    page.PlayFiles();
    // One player a file; they run side by side, so their lines come in any order.
    std::vector<std::string> lines;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        lines = LinesOf(script + ".log");
        return lines.size() >= 2;
    }));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"-q /out/01 a.MP3", "-q /out/02.MP3"}));
    TheSettings().MP3Player = home / "missing";
    page.PlayFiles();
    EXPECT_EQ(notifier.messages.back(), "启动默认的 MP3 播放器 " + (home / "missing") + " 失败。");
    TheSettings().MP3Player.clear();
    TheSettings().MP3PlayerParameters.clear();
}

}  // namespace
}  // namespace korvida
