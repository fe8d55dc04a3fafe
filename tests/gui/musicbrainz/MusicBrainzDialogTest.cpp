#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>

#include "core/disc/CoverArtStore.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/freedb/MessagePage.h"
#include "gui/info/AlbumInfoDialog.h"
#include "gui/musicbrainz/MusicBrainzDialog.h"
#include "gui/musicbrainz/ReleaseListPage.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

// The browser, as far as the no-match page's button can tell.
class UrlCatcher : public QObject {
    Q_OBJECT

  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

// A release of the demo disc's three tracks as the web service lists it; `media` > 1
// makes it a set whose first disc this is.
std::string Release(const std::string& id, const std::string& who, const std::string& date,
                    const std::string& country, int media = 1) {
    std::string tracks;
    for (const char* n : {"One", "Two", "Three"})
        tracks +=
            std::string(tracks.empty() ? "" : ",") + R"({"title":")" + n + " " + who + R"("})";
    std::string medium = R"({"position":1,"format":"CD","tracks":[)" + tracks + "]}";
    for (int m = 2; m <= media; ++m)
        medium += R"(,{"position":)" + std::to_string(m) + R"(,"format":"CD","tracks":[]})";
    return R"({"id":")" + id + R"(","title":"Album of )" + who + R"(","artist-credit":[{"name":")" +
           who + R"(","joinphrase":""}],"date":")" + date + R"(","country":")" + country +
           R"(","media":[)" + medium + "]}";
}

std::string Releases(std::initializer_list<std::string> releases) {
    std::string list;
    for (const std::string& r : releases)
        list += (list.empty() ? "" : ",") + r;
    return R"({"releases":[)" + list + "]}";
}

class MusicBrainzDialogTest : public testing::Test {
  protected:
    gui::MainWindow& Open(bool coverArt) {
        test::WriteFile(demo.home / "Settings.ini",
                        "[MusicBrainz]\nServer=" + server.BaseUrl() + "\nCoverArtServer=" +
                            server.BaseUrl() + "\nCoverArt=" + (coverArt ? "1" : "0") + "\n");
        return demo.Open();
    }
    QString ListTitle(int row) {
        return test::ListOf(*demo.window)->model()->index(row, 1).data().toString();
    }
    // Runs `inside` on the dialog the command opens; a dialog still open after a minute
    // is cancelled, so a fault fails the test instead of hanging it.
    void Run(std::function<void(gui::MusicBrainzDialog&)> inside) {
        test::OnNextModal([inside](QWidget* modal) {
            auto* dialog = qobject_cast<gui::MusicBrainzDialog*>(modal);
            QTimer::singleShot(60000, modal, [modal] { qobject_cast<QDialog*>(modal)->reject(); });
            ASSERT_NE(dialog, nullptr);
            inside(*dialog);
        });
        test::ActionOf(*demo.window, gui::cmd::kQueryMusicBrainz)->trigger();
    }
    static bool WaitForPage(gui::MusicBrainzDialog& dialog, QWidget* page) {
        return QTest::qWaitFor([&] { return dialog.currentPage() == page; }, 20000);
    }

    test::DemoWindow demo;
    test::HttpTestServer server;
};

TEST_F(MusicBrainzDialogTest, OneReleaseIsAppliedStoredAndItsCoverShownInTheAlbumDialog) {
    const std::string id = "1f2e3d4c-0000-4000-8000-00000000000a";
    server.Answer("/ws/2/discid/", 200, Releases({Release(id, "Solo", "1999-05-01", "GB")}));
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(red.save(&buffer, "PNG"));
    server.Redirect("/release/" + id + "/front-500", 307, server.BaseUrl() + "/img/front.png");
    server.Answer("/img/", 200, png.toStdString(), "image/png");

    gui::MainWindow& window = Open(true);
    test::ActionOf(window, gui::cmd::kQueryMusicBrainz)->trigger();  // closes by itself
    EXPECT_EQ(ListTitle(1), QStringLiteral("Two Solo"));
    const DiscInfo& disc = test::DiscsOf(window).disc();
    EXPECT_EQ(disc.album.Album, "Album of Solo");
    EXPECT_EQ(disc.album.Year, "1999");
    EXPECT_NE(test::ReadFile(demo.home / "db/14004103.db").find("02=Two Solo"), std::string::npos);
    EXPECT_EQ(server.Requests().at(0).target.rfind("/ws/2/discid/", 0), 0u);

    // The cover arrives in the background, beside the disc's entry.
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(demo.home / "db/14004103.png"), 20000);
    test::OnNextModal([](QWidget* modal) {
        auto* album = qobject_cast<gui::AlbumInfoDialog*>(modal);
        ASSERT_NE(album, nullptr);
        EXPECT_TRUE(album->coverLabel()->isVisible());
        EXPECT_EQ(album->coverLabel()->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
        EXPECT_TRUE(album->musicBrainzIdLabel()->text().contains(QStringLiteral("-")));
        album->reject();
    });
    test::ActionOf(window, gui::cmd::kDiscInfo)->trigger();
}

// A new pick replaces the cover or leaves none; what became of each fetch is on the
// status line.
TEST_F(MusicBrainzDialogTest, ANewPickReplacesOrClearsTheCoverAndTheStatusLineSaysSo) {
    const std::string first = "1f2e3d4c-0000-4000-8000-0000000000b1";
    const std::string second = "1f2e3d4c-0000-4000-8000-0000000000b2";
    const std::string third = "1f2e3d4c-0000-4000-8000-0000000000b3";
    QByteArray png;
    QBuffer buffer(&png);
    QImage(20, 20, QImage::Format_RGB32).save(&buffer, "PNG");
    server.Answer("/release/" + first + "/", 200, png.toStdString(), "image/png");
    server.Answer("/release/" + third + "/", 500, "busy", "text/plain");
    gui::MainWindow& window = Open(true);
    const auto pick = [&](const std::string& id, const char* note) {
        server.Answer("/ws/2/discid/", 200, Releases({Release(id, id.substr(34), "1999", "GB")}));
        test::ActionOf(window, gui::cmd::kQueryMusicBrainz)->trigger();  // closes by itself
        return QTest::qWaitFor(
            [&] { return test::StatusOf(window)->text().endsWith(QString::fromUtf8(note)); },
            20000);
    };
    const auto cover = [&] { return LoadCoverArt(test::DiscsOf(window).disc()) != nullptr; };

    ASSERT_TRUE(pick(first, "已获取封面图片"));
    EXPECT_TRUE(cover());
    // The cover server has no front image of the second: the first one's cover goes.
    ASSERT_TRUE(pick(second, "所选唱片没有封面图片"));
    EXPECT_EQ(test::DiscsOf(window).disc().album.Artist, "b2");
    EXPECT_FALSE(cover());
    ASSERT_TRUE(pick(first, "已获取封面图片"));
    ASSERT_TRUE(pick(third, "获取封面图片失败: 封面服务器的回答: HTTP 500。"));
    EXPECT_FALSE(cover());
    EXPECT_TRUE(test::StatusOf(window)->text().startsWith(QStringLiteral("设备: ")));
}

TEST_F(MusicBrainzDialogTest, SeveralReleasesAreListedAndTheSecondOneIsApplied) {
    server.Answer(
        "/ws/2/discid/", 200,
        Releases({Release("a0000000-0000-4000-8000-000000000001", "First", "1990", "US"),
                  Release("a0000000-0000-4000-8000-000000000002", "Second", "2001-02-03", "JP", 2),
                  Release("a0000000-0000-4000-8000-000000000003", "Third", "", "")}));
    Open(false);
    Run([](gui::MusicBrainzDialog& dialog) {
        ASSERT_TRUE(WaitForPage(dialog, dialog.releasePage()));
        QTreeWidget* list = dialog.releasePage()->list();
        ASSERT_EQ(list->topLevelItemCount(), 3);
        // Title first; the country by its name; the disc of the set in a column of its
        // own, the format (CD for all) in none.
        ASSERT_EQ(list->columnCount(), 5);
        QTreeWidgetItem* second = list->topLevelItem(1);
        EXPECT_EQ(second->text(0), QStringLiteral("Album of Second"));
        EXPECT_EQ(second->text(1), QStringLiteral("Second"));
        EXPECT_EQ(second->text(2), QStringLiteral("2001-02-03"));
        EXPECT_EQ(second->text(3), QStringLiteral("日本"));
        EXPECT_EQ(second->toolTip(3), QStringLiteral("日本 (JP)"));
        EXPECT_EQ(second->text(4), QStringLiteral("1/2"));
        EXPECT_EQ(dialog.focusWidget(), list);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(ListTitle(0), QStringLiteral("One Second"));
    EXPECT_EQ(test::DiscsOf(*demo.window).disc().album.Artist, "Second");
    EXPECT_EQ(server.Requests().size(), 1u);  // no cover asked for: switched off
}

TEST_F(MusicBrainzDialogTest, AnUnknownDiscOffersItsSubmissionAddressAndChangesNothing) {
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    Open(true);
    Run([&browser](gui::MusicBrainzDialog& dialog) {
        ASSERT_TRUE(WaitForPage(dialog, dialog.noMatchPage()));
        // The address is on the page, safe, to be copied; Enter opens it.
        auto* url = dialog.findChild<QLineEdit*>(QStringLiteral("submissionUrl"));
        ASSERT_NE(url, nullptr);
        EXPECT_TRUE(url->isReadOnly());
        EXPECT_TRUE(
            url->text().startsWith(QStringLiteral("https://musicbrainz.org/cdtoc/attach?id=")))
            << url->text().toStdString();
        EXPECT_EQ(dialog.focusWidget(), dialog.submitButton());
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        ASSERT_EQ(browser.opened.size(), 1);
        EXPECT_EQ(browser.opened[0].toString(), url->text());
        EXPECT_TRUE(dialog.isVisible());

        // No browser: the page says so and the address is selected for copying.
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        auto* missing = dialog.findChild<QLabel*>(QStringLiteral("browserMissing"));
        ASSERT_NE(missing, nullptr);
        EXPECT_TRUE(missing->isHidden());
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(missing->isHidden());
        EXPECT_EQ(url->selectedText(), url->text());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(server.Requests().size(), 2u);  // by disc id, then by TOC
    EXPECT_EQ(ListTitle(0), QStringLiteral("音轨 1"));
    EXPECT_FALSE(std::filesystem::exists(demo.home / "db/14004103.db"));
}

// A set whose two discs both have three tracks and no lengths: which one this is cannot
// be told, so the release is listed greyed with the reason and picking it changes nothing.
TEST_F(MusicBrainzDialogTest, AReleaseThatDoesNotFitShowsWhyAndChangesNothing) {
    const std::string set =
        R"({"id":"a0000000-0000-4000-8000-000000000009","title":"Set","media":[)"
        R"({"position":1,"tracks":[{"title":"x"},{"title":"y"},{"title":"z"}]},)"
        R"({"position":2,"tracks":[{"title":"p"},{"title":"q"},{"title":"r"}]}]})";
    server.Answer(
        "/ws/2/discid/", 200,
        Releases({Release("a0000000-0000-4000-8000-000000000001", "First", "1990", "US"), set}));
    Open(false);
    Run([](gui::MusicBrainzDialog& dialog) {
        ASSERT_TRUE(WaitForPage(dialog, dialog.releasePage()));
        QTreeWidget* list = dialog.releasePage()->list();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_TRUE(dialog.releasePage()->noteLabel()->isHidden());
        list->setCurrentItem(list->topLevelItem(1));
        EXPECT_TRUE(list->topLevelItem(1)->toolTip(1).contains(QStringLiteral("无法分辨")));
        EXPECT_TRUE(dialog.releasePage()->noteLabel()->isVisibleTo(dialog.releasePage()));
        EXPECT_TRUE(dialog.releasePage()->noteLabel()->text().contains(QStringLiteral("无法分辨")));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitForPage(dialog, dialog.errorPage()));
        EXPECT_TRUE(dialog.errorPage()->text().contains(QStringLiteral("无法分辨")))
            << dialog.errorPage()->text().toStdString();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(ListTitle(0), QStringLiteral("音轨 1"));
    EXPECT_FALSE(std::filesystem::exists(demo.home / "db/14004103.db"));
}

}  // namespace
}  // namespace korvida

#include "MusicBrainzDialogTest.moc"
