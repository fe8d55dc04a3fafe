// The Edit menu's list commands and the two information dialogs, on the real window.
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

QPushButton* Button(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

QLineEdit* Edit(QWidget* dialog, const char* label) {
    return dialog->findChild<QLineEdit*>(QString::fromUtf8(label));
}

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
        Edit(dialog, "标题")->setText(QStringLiteral("第三首"));
        // Next stores the track on screen and goes to the second row (track index 0).
        Button(dialog, QStringLiteral("下一轨(&N)"))->click();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("音轨信息 [#01]"));
        Edit(dialog, "标题")->setText(QStringLiteral("不存"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
    test::ActionOf(window, kTrackInfo)->trigger();
    EXPECT_EQ(caption, QStringLiteral("音轨信息 [#03]"));
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[2].Title, "第三首");
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[0].Title, "音轨 1");  // Cancel kept it
    EXPECT_EQ(list->model()->index(0, 1).data().toString(), QStringLiteral("第三首"));
    EXPECT_TRUE(list->selectionModel()->isRowSelected(1, {}));
}

TEST(ListCommands, TrackDialogFoldsAndEditsEveryField) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    TrackList& rows = test::DiscsOf(window).rows();
    rows.HighlightOnly(0);
    test::DiscsOf(window).disc().isrc[1] = "FRZ039900212";
    const std::string title(120, 'x');
    test::DiscsOf(window).disc().tracks[0].Title = "开头 " + title;
    gui::TrackInfoDialog dialog(rows, test::DiscsOf(window).disc());
    EXPECT_TRUE(dialog.folded());
    // A long title shows its beginning, selected to be typed over.
    EXPECT_EQ(Edit(&dialog, "标题")->cursorPosition(), 0);
    EXPECT_EQ(Edit(&dialog, "标题")->selectedText().size(), 123);
    EXPECT_FALSE(Button(&dialog, QStringLiteral("上一轨(&P)"))->isEnabled());
    // The disc's ISRC of the track on screen, shown but not edited.
    auto* isrc = dialog.findChild<QLineEdit*>(QStringLiteral("isrc"));
    EXPECT_TRUE(isrc->isReadOnly());
    EXPECT_FALSE(isrc->hasFrame());
    EXPECT_EQ(isrc->text(), QString());
    Button(&dialog, QStringLiteral("下一轨(&N)"))->click();
    EXPECT_EQ(isrc->text(), QStringLiteral("FRZ039900212"));
    Button(&dialog, QStringLiteral("上一轨(&P)"))->click();
    Button(&dialog, QStringLiteral("更多 >>>"))->click();
    EXPECT_FALSE(dialog.folded());
    ASSERT_NE(Button(&dialog, QStringLiteral("<<< 更少")), nullptr);
    EXPECT_EQ(Edit(&dialog, "标题")->maxLength(), 255);
    EXPECT_TRUE(Edit(&dialog, "编码者")->isVisibleTo(&dialog));
    dialog.findChild<QComboBox*>()->setEditText(QStringLiteral("古典"));
    dialog.accept();
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[0].GenreName, "古典");
}

TEST(ListCommands, AlbumDialogGenreNumberOnlyFromAPickAndCopyToEveryTrack) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    DiscInfo& disc = test::DiscsOf(window).disc();
    disc.album.GenreName = "Rock";
    test::OnNextModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("唱片信息"));
        auto* genre = dialog->findChild<QComboBox*>();
        EXPECT_EQ(genre->currentText(), QStringLiteral("Rock"));
        Edit(dialog, "艺术家")->setText(QStringLiteral("艺人"));
        Button(dialog, QStringLiteral("复制信息到每条音轨"))->click();
        qobject_cast<QDialog*>(dialog)->accept();  // preset text, nothing picked
    });
    test::ActionOf(window, kDiscInfo)->trigger();
    EXPECT_EQ(disc.album.Genre, -1);
    EXPECT_EQ(disc.album.Artist, "艺人");
    EXPECT_EQ(disc.tracks[2].Artist, "艺人");
    EXPECT_EQ(disc.tracks[2].GenreName, "Rock");
    EXPECT_EQ(disc.tracks[2].Title, "音轨 3");

    test::OnNextModal([](QWidget* dialog) {
        auto* genre = dialog->findChild<QComboBox*>();
        genre->setCurrentIndex(17);
        emit genre->activated(17);  // as a pick from the list does
        qobject_cast<QDialog*>(dialog)->accept();
    });
    test::ActionOf(window, kDiscInfoKey)->trigger();  // F3
    EXPECT_EQ(disc.album.Genre, 17);
    EXPECT_EQ(disc.album.GenreName, "Rock");  // ID3v1 genre 17
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
