// The track and album information dialogs, opened over the real window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/info/TrackInfoDialog.h"

namespace korvida {
namespace {

using namespace gui::cmd;

TEST(InfoDialogs, TrackDialogFoldsAndEditsEveryField) {
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
    EXPECT_EQ(test::PointerTo<QLineEdit>(dialog, "标题")->cursorPosition(), 0);
    EXPECT_EQ(test::PointerTo<QLineEdit>(dialog, "标题")->selectedText().size(), 123);
    EXPECT_FALSE(test::ButtonCaptioned(dialog, QStringLiteral("上一轨(&P)"))->isEnabled());
    // The disc's ISRC of the track on screen, shown but not edited.
    auto* isrc = dialog.findChild<QLineEdit*>(QStringLiteral("isrc"));
    EXPECT_TRUE(isrc->isReadOnly());
    EXPECT_FALSE(isrc->hasFrame());
    EXPECT_EQ(isrc->text(), QString());
    test::ButtonCaptioned(dialog, QStringLiteral("下一轨(&N)"))->click();
    EXPECT_EQ(isrc->text(), QStringLiteral("FRZ039900212"));
    test::ButtonCaptioned(dialog, QStringLiteral("上一轨(&P)"))->click();
    test::ButtonCaptioned(dialog, QStringLiteral("更多 >>>"))->click();
    EXPECT_FALSE(dialog.folded());
    ASSERT_NE(test::ButtonCaptioned(dialog, QStringLiteral("<<< 更少")), nullptr);
    EXPECT_EQ(test::PointerTo<QLineEdit>(dialog, "标题")->maxLength(), 255);
    EXPECT_TRUE(test::PointerTo<QLineEdit>(dialog, "编码者")->isVisibleTo(&dialog));
    dialog.findChild<QComboBox*>()->setEditText(QStringLiteral("古典"));
    dialog.accept();
    EXPECT_EQ(test::DiscsOf(window).disc().tracks[0].GenreName, "古典");
}

TEST(InfoDialogs, AlbumDialogGenreNumberOnlyFromAPickAndCopyToEveryTrack) {
    test::DemoWindow demo;
    gui::MainWindow& window = demo.Open();
    DiscInfo& disc = test::DiscsOf(window).disc();
    disc.album.GenreName = "Rock";
    test::OnNextModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("唱片信息"));
        auto* genre = dialog->findChild<QComboBox*>();
        EXPECT_EQ(genre->currentText(), QStringLiteral("Rock"));
        test::PointerTo<QLineEdit>(*dialog, "艺术家")->setText(QStringLiteral("艺人"));
        test::ButtonCaptioned(*dialog, QStringLiteral("复制信息到每条音轨"))->click();
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

}  // namespace
}  // namespace korvida
