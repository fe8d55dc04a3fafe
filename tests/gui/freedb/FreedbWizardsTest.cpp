#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>

#include "core/freedb/FreedbSubmission.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/freedb/MatchListPage.h"
#include "gui/freedb/MessagePage.h"
#include "gui/freedb/QueryController.h"
#include "gui/freedb/QueryDialog.h"
#include "gui/freedb/StatusPage.h"
#include "gui/freedb/SubmitController.h"
#include "gui/freedb/SubmitDialog.h"
#include "gui/freedb/SubmitEditPage.h"
#include "support/freedb/FreedbTestServer.h"

namespace korvida {
namespace {

using Server = test::FreedbTestServer;

// An entry for the demo disc (freedb id 0b004103) whose titles name `who`.
std::string DemoEntry(const std::string& who) {
    return "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t1725\n#\t3000\n#\n"
           "# Disc length: 67 seconds\n#\n# Revision: 2\n#\nDISCID=0b004103\n"
           "DTITLE=" +
           who + " / Album of " + who +
           "\n"
           "TTITLE0=One " +
           who + "\nTTITLE1=Two " + who + "\nTTITLE2=Three " + who +
           "\n"
           "EXTD=\nEXTT0=\nEXTT1=\nEXTT2=\nPLAYORDER=\n";
}

// The demo window with its own freedb database and a server on it.
class FreedbWizards : public testing::Test {
  protected:
    void AddEntry(const std::string& category, const std::string& who) {
        std::filesystem::create_directories(database / category);
        test::WriteFile(database / (category + "/0b004103"), DemoEntry(who));
    }
    gui::MainWindow& Open(const std::string& email = "me@example.org") {
        test::WriteFile(demo.home / "Settings.ini",
                        "[CDDB]\nServer=" + server.address() + "\nEmail=" + email + "\n");
        return demo.Open();
    }
    QString ListTitle(int row) {
        return test::ListOf(*demo.window)->model()->index(row, 1).data().toString();
    }
    FreedbServerSettings Settings() {
        FreedbServerSettings s;
        s.Server = server.address();
        s.QueryScript = Server::kQueryScript;
        s.SubmitScript = Server::kSubmitScript;
        s.Email = "me@example.org";
        return s;
    }

    test::DemoWindow demo;
    test::TempDir database;
    Server server{database.path()};
};

// Runs `inside` on the command's dialog, then triggers the command (exec returns when
// the dialog closes). A dialog still open after a minute is cancelled, so a fault fails
// the test instead of hanging it.
void RunCommand(gui::MainWindow& window, int id, std::function<void(QDialog*)> inside) {
    test::OnNextModal([inside](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        QTimer::singleShot(60000, dialog, [dialog] { dialog->reject(); });
        inside(dialog);
    });
    test::ActionOf(window, id)->trigger();
}

bool WaitForPage(const QDialog& dialog, const char* page) {
    return QTest::qWaitFor([&] { return test::Shows(dialog, page); }, 20000);
}
QPushButton* Button(const QDialog& dialog, const char* name) {
    return test::PointerTo<QPushButton>(dialog, name);
}
QString StatusText(const QDialog& dialog) {
    return test::PartOf<gui::StatusPage>(dialog, "progressPage").text();
}

TEST_F(FreedbWizards, OneMatchIsReadAtOnceAppliedToTheListAndStored) {
    AddEntry("rock", "Solo");
    gui::MainWindow& window = Open();
    RunCommand(window, gui::cmd::kQueryFreedb, [](QDialog*) {});
    EXPECT_EQ(ListTitle(1), QStringLiteral("Two Solo"));
    EXPECT_EQ(test::DiscsOf(window).disc().album.Artist, "Solo");
    EXPECT_EQ(test::DiscsOf(window).disc().Revision, 2);
    EXPECT_EQ(server.Requests().size(), 2u);  // the query and the read, nothing else
    EXPECT_NE(test::ReadFile(demo.home / "db/14004103.db").find("02=Two Solo"), std::string::npos);
}

TEST_F(FreedbWizards, SeveralMatchesAreListedAndOkWithoutSelectionReadsTheFirst) {
    for (const char* category : {"rock", "jazz", "folk"})
        AddEntry(category, std::string("Band-") + category);
    gui::MainWindow& window = Open();
    RunCommand(window, gui::cmd::kQueryFreedb, [](QDialog* modal) {
        auto& dialog = *qobject_cast<gui::QueryDialog*>(modal);
        ASSERT_TRUE(WaitForPage(dialog, "matchPage"));
        QTreeWidget* list = test::PointerTo<QTreeWidget>(dialog, "matches");
        ASSERT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("1"));
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Band-folk"));
        EXPECT_EQ(test::PartOf<gui::MatchListPage>(dialog, "matchPage").selectedRow(), 0);
        EXPECT_TRUE(Button(dialog, "okButton")->isEnabled());
        list->clearSelection();
        QTest::mouseClick(Button(dialog, "okButton"), Qt::LeftButton);
        // The read is on its way: the list page is gone and OK cannot start another.
        EXPECT_TRUE(test::Shows(dialog, "progressPage"));
        EXPECT_FALSE(Button(dialog, "okButton")->isEnabled());
    });
    EXPECT_EQ(ListTitle(0), QStringLiteral("One Band-folk"));
}

// The list has the focus and OK is the default: Down and Enter read the second match. The
// same disc filed under three categories differs only in its category column.
TEST_F(FreedbWizards, EnterOnTheMatchListReadsTheHighlightedMatch) {
    for (const char* category : {"rock", "jazz", "folk"})
        AddEntry(category, "Band");
    gui::MainWindow& window = Open();
    RunCommand(window, gui::cmd::kQueryFreedb, [](QDialog* modal) {
        auto& dialog = *qobject_cast<gui::QueryDialog*>(modal);
        ASSERT_TRUE(WaitForPage(dialog, "matchPage"));
        QTreeWidget* list = test::PointerTo<QTreeWidget>(dialog, "matches");
        ASSERT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("jazz"));
        EXPECT_EQ(dialog.focusWidget(), list);
        EXPECT_TRUE(Button(dialog, "okButton")->isDefault());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_TRUE(test::Shows(dialog, "progressPage"));
    });
    EXPECT_EQ(test::DiscsOf(window).disc().album.GenreName, "jazz");
}

// Cancel, Escape and the close box: closed at once when nothing runs, and a silent
// server is let go of at once instead of at its 30-second deadline.
TEST_F(FreedbWizards, CancelClosesTheQueryDialogAndIgnoresASecondCancel) {
    gui::MainWindow& window = Open();
    {
        gui::QueryController controller(Settings(), test::DiscsOf(window).disc());
        gui::QueryDialog dialog(controller);
        dialog.show();
        controller.Start();
        ASSERT_TRUE(WaitForPage(dialog, "noMatchPage"));
        QSignalSpy closed(&dialog, &QDialog::finished);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        ASSERT_TRUE(closed.count() == 1 || closed.wait(20000));
        EXPECT_EQ(closed.first().first().toInt(), QDialog::Rejected);
        EXPECT_FALSE(controller.applied());
    }
    server.SetMode(Server::Mode::kNeverAnswer);
    gui::QueryController controller(Settings(), test::DiscsOf(window).disc());
    gui::QueryDialog dialog(controller);
    dialog.show();
    controller.Start();
    ASSERT_TRUE(server.WaitForRequests(1, 20000));
    QSignalSpy closed(&dialog, &QDialog::finished);
    dialog.close();  // the close box
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(controller.state(), gui::QueryController::State::kCancelling);
    EXPECT_EQ(StatusText(dialog), QStringLiteral("正在取消 CDDB 垂询..."));
    EXPECT_FALSE(Button(dialog, "cancelButton")->isEnabled());
    EXPECT_EQ(dialog.cursor().shape(), Qt::WaitCursor);
    QTest::keyClick(&dialog, Qt::Key_Escape);  // the second cancel
    ASSERT_TRUE(closed.wait(20000));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_NE(dialog.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(ListTitle(0), QStringLiteral("音轨 1"));
}

// A transport error shows its text; a read that yields nothing shows the no-match page
// and applies nothing.
TEST_F(FreedbWizards, FailedQueriesAndEmptyReadsStayOnTheirPageUntilCancel) {
    gui::MainWindow& window = Open();
    const DiscInfo& disc = test::DiscsOf(window).disc();
    server.SetMode(Server::Mode::kCloseAtOnce);
    {
        gui::QueryController controller(Settings(), disc);
        gui::QueryDialog dialog(controller);
        dialog.show();
        controller.Start();
        ASSERT_TRUE(WaitForPage(dialog, "errorPage"));
        EXPECT_FALSE(test::PartOf<gui::MessagePage>(dialog, "errorPage").text().isEmpty());
        EXPECT_NE(test::PartOf<gui::MessagePage>(dialog, "errorPage").text(),
                  QStringLiteral("错误: 未知的错误！"));
        EXPECT_FALSE(Button(dialog, "okButton")->isEnabled());
    }
    // One match, whose read is answered with the query's reply: no 210, nothing read.
    server.SetMode(Server::Mode::kCanned);
    server.SetCannedReply("HTTP/1.0 200 OK\r\n\r\n200 rock 0b004103 A / B\r\n");
    gui::QueryController controller(Settings(), disc);
    gui::QueryDialog dialog(controller);
    dialog.show();
    controller.Start();
    ASSERT_TRUE(WaitForPage(dialog, "noMatchPage"));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_FALSE(controller.applied());
    QSignalSpy closed(&dialog, &QDialog::finished);
    QTest::mouseClick(Button(dialog, "cancelButton"), Qt::LeftButton);
    ASSERT_TRUE(closed.wait(20000));
}

// An entry that holds no title at all: the no-match page, and neither the list nor the
// disc database loses the first track's title.
TEST_F(FreedbWizards, AnEntryWithoutTitlesIsNoMatchAndStoresNothing) {
    std::filesystem::create_directories(database / "rock");
    test::WriteFile(database / "rock/0b004103", "# xmcd\n");
    gui::MainWindow& window = Open();
    RunCommand(window, gui::cmd::kQueryFreedb, [](QDialog* modal) {
        auto& dialog = *qobject_cast<gui::QueryDialog*>(modal);
        ASSERT_TRUE(WaitForPage(dialog, "noMatchPage"));
        QTest::mouseClick(Button(dialog, "cancelButton"), Qt::LeftButton);
    });
    EXPECT_EQ(server.Requests().size(), 2u);  // the query and the read
    EXPECT_EQ(ListTitle(0), QStringLiteral("音轨 1"));
    EXPECT_FALSE(std::filesystem::exists(demo.home / "db/14004103.db"));
}

TEST_F(FreedbWizards, SubmitNeedsAnEmailAddressAndOpensWithTheDiscsGenreAndNextRevision) {
    gui::MainWindow& window = Open("user@example.com");
    bool opened = false;
    QTimer watch;  // ends with this test, unlike a pending OnNextModal
    watch.callOnTimeout([&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->done(QDialog::Rejected);
        }
    });
    watch.start(10);
    test::ActionOf(window, gui::cmd::kSubmitFreedb)->trigger();
    EXPECT_FALSE(opened);
    ASSERT_EQ(demo.notifier.messages.size(), 1u);
    EXPECT_EQ(demo.notifier.messages[0], kEmailMissingText);

    DiscInfo disc = test::DiscsOf(window).disc();
    disc.album.GenreName = "Rock";
    disc.bRevision = 1;
    disc.Revision = 3;
    gui::SubmitController controller(Settings(), disc, window.messageTarget(), demo.notifier);
    gui::SubmitDialog dialog(controller);
    EXPECT_EQ(test::PointerTo<QComboBox>(dialog, "genre")->currentText(), QStringLiteral("rock"));
    EXPECT_EQ(test::PointerTo<QLineEdit>(dialog, "revision")->text(), QStringLiteral("4"));
    disc.album.GenreName = "Pop";  // no freedb category: nothing selected
    disc.bRevision = 0;
    gui::SubmitController other(Settings(), disc, window.messageTarget(), demo.notifier);
    gui::SubmitDialog second(other);
    EXPECT_EQ(test::PointerTo<QComboBox>(second, "genre")->currentIndex(), -1);
    EXPECT_EQ(test::PointerTo<QLineEdit>(second, "revision")->text(), QStringLiteral("0"));
}

TEST_F(FreedbWizards, EditedTitlesReachTheListBeforeTheSubmissionIsSent) {
    gui::MainWindow& window = Open();
    RunCommand(window, gui::cmd::kSubmitFreedb, [this](QDialog* modal) {
        auto& dialog = *qobject_cast<gui::SubmitDialog*>(modal);
        test::PartOf<QLineEdit>(dialog, "artist").setText(QStringLiteral("A"));
        test::PartOf<QLineEdit>(dialog, "album").setText(QStringLiteral("B"));
        auto& genre = test::PartOf<QComboBox>(dialog, "genre");
        genre.setCurrentIndex(genre.findText(QStringLiteral("jazz")));
        // A default title still in the list refuses the form.
        QTest::mouseClick(Button(dialog, "submitButton"), Qt::LeftButton);
        ASSERT_EQ(demo.notifier.messages.size(), 1u);
        EXPECT_EQ(demo.notifier.messages[0], "缺少音轨 #01 的标题。");
        EXPECT_TRUE(test::Shows(dialog, "editPage"));

        QTreeWidget* titles = test::PointerTo<QTreeWidget>(dialog, "titles");
        for (int row = 0; row < 3; ++row) {
            QTreeWidgetItem* item = titles->topLevelItem(row);
            const QRect cell = titles->visualItemRect(item);
            // The view takes a double click only on the row the press before it hit.
            QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(titles->viewport(), Qt::LeftButton, {}, cell.center());
            QLineEdit* editor = nullptr;  // the open one; a closed one waits for deletion
            for (QLineEdit* e : titles->viewport()->findChildren<QLineEdit*>())
                if (e->isVisible())
                    editor = e;
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->selectedText(), QStringLiteral("音轨 %1").arg(row + 1));
            QTest::keyClicks(editor, QStringLiteral("Song %1").arg(row + 1));
            QTest::keyClick(editor, Qt::Key_Return);
            // The view commits on its next turn; the main list has the title with the cell.
            const QString title = QStringLiteral("Song %1").arg(row + 1);
            ASSERT_TRUE(QTest::qWaitFor([&] { return item->text(1) == title; }, 5000));
            EXPECT_EQ(ListTitle(row), title);
        }
        EXPECT_EQ(server.Requests().size(), 0u);
        QTest::mouseClick(Button(dialog, "submitButton"), Qt::LeftButton);
        ASSERT_TRUE(WaitForPage(dialog, "acceptedPage"));
        EXPECT_EQ(Button(dialog, "cancelButton")->text(), QStringLiteral("关闭"));
        QTest::mouseClick(Button(dialog, "cancelButton"), Qt::LeftButton);
    });
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("TTITLE1=Song 2\r\n"), std::string::npos);
    const DiscInfo& disc = test::DiscsOf(window).disc();
    EXPECT_EQ(disc.album.GenreName, "jazz");
    EXPECT_EQ(disc.bRevision, 1);  // the next submission offers revision 1
    EXPECT_NE(test::ReadFile(demo.home / "db/14004103.db").find("02=Song 2"), std::string::npos);
}

TEST_F(FreedbWizards, CancelWhileSubmittingClosesOnceTheTransferHasStopped) {
    server.SetMode(Server::Mode::kNeverAnswer);
    gui::MainWindow& window = Open();
    DiscInfo disc = test::DiscsOf(window).disc();
    disc.album.Artist = "A";
    disc.album.Album = "B";
    disc.album.GenreName = "rock";
    for (int t = 0; t < 3; ++t)
        disc.tracks[static_cast<std::size_t>(t)].Title = "T";
    gui::SubmitController controller(Settings(), disc, window.messageTarget(), demo.notifier);
    gui::SubmitDialog dialog(controller);
    dialog.show();
    QTest::mouseClick(Button(dialog, "submitButton"), Qt::LeftButton);
    EXPECT_TRUE(test::Shows(dialog, "progressPage"));
    EXPECT_FALSE(Button(dialog, "submitButton")->isEnabled());
    ASSERT_TRUE(server.WaitForRequests(1, 20000));
    QSignalSpy closed(&dialog, &QDialog::finished);
    QTest::mouseClick(Button(dialog, "cancelButton"), Qt::LeftButton);
    EXPECT_EQ(StatusText(dialog), QStringLiteral("取消 CDDB 提交..."));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(controller.state(), gui::SubmitController::State::kCancelling);
    ASSERT_TRUE(closed.wait(20000));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(controller.accepted());
}

}  // namespace
}  // namespace korvida
