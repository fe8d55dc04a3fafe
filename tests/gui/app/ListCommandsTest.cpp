// The Edit menu's list commands on the real window.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/info/TrackInfoDialog.h"

namespace korvida {
namespace {

using namespace gui::cmd;

TEST(ListCommands, CaseCommandsChangeRowsAndTheTracksTheyShow) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    TrackList& rows = test::DiscsOf(window).rows();
    DiscInfo& disc = test::DiscsOf(window).disc();
    rows.HighlightOnly(2);
    test::ActionOf(window, kMoveTop)->trigger();  // row 0 now shows track 2
    disc.tracks[2].Title = "the END of [time]";
    rows.SetTitle(2, disc.tracks[2].Title);
    test::ActionOf(window, kCapitalise)->trigger();
    EXPECT_EQ(rows.row(0).texts[1], "The End Of [Time]");
    EXPECT_EQ(disc.tracks[2].Title, "The End Of [Time]");
    EXPECT_EQ(disc.tracks[0].Title, "音轨 1");
    test::ActionOf(window, kUpperCase)->trigger();
    EXPECT_EQ(test::ListOf(window)->model()->index(0, 1).data().toString(),
              QStringLiteral("THE END OF [TIME]"));
    test::ActionOf(window, kLowerCase)->trigger();
    EXPECT_EQ(disc.tracks[2].Title, "the end of [time]");
}

TEST(ListCommands, CopyToClipboardAndTheCheckCommands) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    TrackList& rows = test::DiscsOf(window).rows();
    test::DiscsOf(window).model()->resetWith([&] {
        TrackList two;
        two.AddRow(rows.row(0));
        two.AddRow(rows.row(1));
        rows = two;
    });
    test::ActionOf(window, kCopyToClipboard)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("音轨 1\t\t00:21\r\n音轨 2\t\t00:17\r\n"));
    EXPECT_EQ(demo.notifier.messages, std::vector<std::string>{"成功复制 TOC 到剪贴板。"});

    test::ActionOf(window, kSelectNone)->trigger();
    EXPECT_TRUE(rows.CheckedTracks().empty());
    QAbstractItemModel* model = test::ListOf(window)->model();
    model->setData(model->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    test::ActionOf(window, kPopupInvert)->trigger();
    EXPECT_EQ(rows.CheckedTracks(), std::vector<int>{0});
    test::ActionOf(window, kPopupSelectAll)->trigger();
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
}

TEST(ListCommands, AMovedRowStillEditsItsOwnTrack) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    QTreeView* list = test::ListOf(window);
    list->setCurrentIndex(list->model()->index(2, 0));  // the user highlights row 3
    test::ActionOf(window, kMoveTop)->trigger();
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), QStringLiteral("03"));
    EXPECT_TRUE(list->selectionModel()->isRowSelected(0, {}));

    QString caption;
    test::OnNextModal([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        test::PointerTo<QLineEdit>(*dialog, "标题")->setText(QStringLiteral("第三首"));
        // Next stores the track on screen and goes to the second row (track index 0).
        test::ButtonCaptioned(*dialog, QStringLiteral("下一轨(&N)"))->click();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("音轨信息 [#01]"));
        test::PointerTo<QLineEdit>(*dialog, "标题")->setText(QStringLiteral("不存"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
    test::ActionOf(window, kTrackInfo)->trigger();
    EXPECT_EQ(caption, QStringLiteral("音轨信息 [#03]"));
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[2].Title, "第三首");
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[0].Title, "音轨 1");  // Cancel kept it
    EXPECT_EQ(list->model()->index(0, 1).data().toString(), QStringLiteral("第三首"));
    EXPECT_TRUE(list->selectionModel()->isRowSelected(1, {}));
}

TEST(ListCommands, MovesAndTrackInfoWithoutAHighlightAreRefused) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    test::ListOf(window)->clearSelection();
    test::ActionOf(window, kMoveUp)->trigger();
    test::ActionOf(window, kButtonTrackInfo)->trigger();
    EXPECT_EQ(demo.notifier.messages,
              std::vector<std::string>(2, "请高亮显示一个音轨条目以编辑其信息。"));
    test::ActionOf(window, kEject)->trigger();
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 0);
}

}  // namespace
}  // namespace korvida
