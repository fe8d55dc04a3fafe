// "校验已抓取的文件..." from the File menu: a rip on disk read on the workers and its results
// in the completion page's form.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QTest>
#include <filesystem>

#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/JobController.h"
#include "gui/progress/CompletionPage.h"
#include "gui/progress/ProgressWindow.h"
#include "support/AudioTestSupport.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;
using gui::ProgressWindow;

// A track file chosen in the dialog stands for its folder, whose two tracks are checked;
// neither database knows them, and each file's row says so.
TEST(VerifyRipFromTheGui, AFolderOfTracksIsCheckedAndEachFileShowsItsResult) {
    test::HttpTestServer server;
    test::DemoWindow demo("[AccurateRip]\nServer=127.0.0.1:" + std::to_string(server.port()) +
                          "\n[CTDB]\nServer=" + server.BaseUrl() + "\n");
    gui::MainWindow& window = demo.Open();
    fs::create_directories(demo.home / "rip");
    for (int track = 1; track <= 2; ++track) {
        std::vector<std::int16_t> samples(588 * 2 * 40 * track);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>((i * 37 + track) % 4000 - 2000);
        test::WriteFile(demo.home / ("rip/0" + std::to_string(track) + ".wav"),
                        test::CdWav(samples));
    }
    test::OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("校验已抓取的文件"));
        dialog->setDirectory(QString::fromStdString(demo.home / "rip"));
        dialog->selectFile(QStringLiteral("02.wav"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    test::ActionOf(window, gui::cmd::kVerifyRip)->trigger();
    const auto ended = [&window] {
        ProgressWindow* p = test::ProgressOf(window);
        return p && p->page() == ProgressWindow::kCompletionPage && !test::JobsOf(window).running();
    };
    ASSERT_TRUE(QTest::qWaitFor(ended, 120000));
    auto* page = test::PointerTo<gui::CompletionPage>(*test::ProgressOf(window), "completionPage");
    ASSERT_EQ(page->files().size(), 2);
    EXPECT_TRUE(page->files()[0].endsWith(QStringLiteral("01.wav")))
        << page->files()[0].toStdString();
    for (const QString& result : page->results())
        EXPECT_EQ(result, QStringLiteral("不在数据库中; CTDB: 不在数据库中"));
}

}  // namespace
}  // namespace korvida
