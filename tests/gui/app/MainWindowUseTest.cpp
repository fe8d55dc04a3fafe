// The main window as a user meets it: names in other encodings, edits that must survive a
// reload, the keyboard, and rows that must fit their text.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "core/jobs/Messages.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/CommandLineImages.h"
#include "gui/app/DiscController.h"
#include "gui/app/TrackTableModel.h"
#include "gui/info/AlbumInfoDialog.h"
#include "gui/info/TrackInfoDialog.h"

namespace korvida {
namespace {

using test::DemoWindow;

QString Title(gui::MainWindow& window, int row) {
    return test::ListOf(window)->model()->index(row, 1).data().toString();
}

// "测试" in GBK: not valid UTF-8, so a QString cannot hold these bytes.
TEST(MainWindowUse, AnImageInAGbkNamedFolderOpensFromTheCommandLineAndByDrop) {
    DemoWindow demo({}, false);
    const std::filesystem::path shared = test::SharedDemoDisc();
    const std::filesystem::path folder = demo.home / "\xb2\xe2\xca\xd4";
    std::filesystem::create_directories(folder);
    for (const char* name : {"demo.cue", "demo.bin"})
        std::filesystem::copy_file(shared.parent_path() / name, folder / name);
    const std::string cue = (folder / "demo.cue").string();

    std::string program = "korvida", option = "--image", path = cue;
    char* argv[] = {program.data(), option.data(), path.data(), nullptr};
    DriveSources named = gui::CommandLineImages(3, argv);
    ASSERT_EQ(named.images, std::vector<std::string>{cue});
    demo.drives.images = named.images;
    demo.drives.selectImage = named.selectImage;
    gui::MainWindow& window = demo.Open();
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 3);
    EXPECT_TRUE(demo.notifier.messages.empty()) << demo.notifier.messages.front();

    // A file manager's drop carries the bytes percent-encoded. (A load that fails leaves
    // the list empty.)
    QMimeData mime;
    mime.setUrls(
        {QUrl::fromEncoded("file://" + QByteArray::fromStdString(cue).toPercentEncoding("/", {}))});
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    static_cast<QObject&>(window).event(&drop);
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(test::ListOf(window)->model()->rowCount(), 3);
    EXPECT_TRUE(demo.notifier.messages.empty()) << demo.notifier.messages.front();
}

// Titles typed in the track dialog: the list follows the dialog's Previous and Next, and
// F5 reads the titles back instead of dropping them.
TEST(MainWindowUse, TheListFollowsTheTrackDialogAndF5KeepsItsEdits) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    QItemSelectionModel* selection = test::ListOf(window)->selectionModel();
    ASSERT_TRUE(selection->isRowSelected(0, {}));
    bool followed = false;
    test::OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<gui::TrackInfoDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("标题"))->setText(QStringLiteral("第一首"));
        test::ButtonCaptioned(*dialog, QStringLiteral("下一轨(&N)"))->click();
        followed = selection->isRowSelected(1, {}) && !selection->isRowSelected(0, {}) &&
                   Title(window, 0) == QStringLiteral("第一首");
        dialog->findChild<QLineEdit*>(QStringLiteral("标题"))->setText(QStringLiteral("第二首"));
        dialog->accept();
    });
    test::ActionOf(window, gui::cmd::kTrackInfo)->trigger();
    EXPECT_TRUE(followed);

    QSignalSpy ready(&window, &gui::MainWindow::discReady);
    test::ActionOf(window, gui::cmd::kRefreshToc)->trigger();
    ASSERT_TRUE(ready.wait(30000));
    EXPECT_EQ(Title(window, 0), QStringLiteral("第一首"));
    EXPECT_EQ(Title(window, 1), QStringLiteral("第二首"));
}

TEST(MainWindowUse, SpaceTicksTheRowFromAnyCellAndTheAlbumDialogTabsThroughItsFields) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    QTreeView* list = test::ListOf(window);
    QAbstractItemModel* model = list->model();
    ASSERT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    list->setCurrentIndex(model->index(1, gui::TrackTableModel::kTitle));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // The fields in their order, then the buttons.
    gui::AlbumInfoDialog dialog(test::DiscsOf(window).disc(), 3);
    QStringList order;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            order << (qobject_cast<QPushButton*>(w) ? QStringLiteral("button") : w->objectName());
    ASSERT_GE(order.size(), 4);
    EXPECT_EQ(order.first(), QStringLiteral("专辑名"));
    EXPECT_EQ(order.indexOf(QStringLiteral("button")), order.size() - 3)
        << order.join(u' ').toStdString();
}

// A Latin first row sets no height for the rows after it: each row is at least as tall
// as the style makes it for its own text alone.
TEST(MainWindowUse, RowsOfMixedScriptsAreAsTallAsTheirTallestLine) {
    DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    TrackList rows;
    const char* titles[] = {"gjpqy", "音轨 gjpqy", "音轨", "Ǻgjpqy 한글 あ"};
    for (int i = 0; i < 4; ++i) {
        TrackList::Row row;
        row.texts = {FormatTrackNumber(i), titles[i], "00:01", "0.17"};
        row.trackIndex = i;
        rows.AddRow(row);
    }
    gui::TrackTableModel model(rows);
    test::ListOf(window)->setModel(&model);
    QTreeView natural;  // the style's own delegate, each row measured alone
    natural.setFont(test::ListOf(window)->font());
    natural.setModel(&model);
    for (int r = 0; r < 4; ++r) {
        const int needed = natural.visualRect(model.index(r, 1)).height();
        ASSERT_GT(needed, 0);
        EXPECT_GE(test::ListOf(window)->visualRect(model.index(r, 1)).height(), needed)
            << titles[r];
    }
    test::ListOf(window)->setModel(test::DiscsOf(window).model());
}

}  // namespace
}  // namespace korvida
