#include "gui/screenshots/ScreenshotTour.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include "core/settings/Settings.h"
#include "core/text/Translate.h"
#include "gui/WindowParts.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/app/JobController.h"
#include "gui/app/MainWindow.h"
#include "gui/progress/CompletionPage.h"
#include "gui/progress/ProgressPage.h"
#include "gui/progress/ProgressWindow.h"
#include "gui/screenshots/ForeignTexts.h"
#include "gui/screenshots/Mnemonics.h"
#include "gui/settings/OptionsSheet.h"
#include "gui/widgets/ExtendedFileDialog.h"

namespace korvida::gui {
namespace {

// Long enough for a window to be mapped and painted by the X server.
constexpr int kSettleMs = 400;

// A window's picture with its caption above it: Xvfb runs no window manager, so no
// title bar would show the caption, and captions carry much of what a window says.
QPixmap WithCaption(QWidget* window) {
    const QPixmap body = window->grab();
    const int bar = window->fontMetrics().height() + 10;
    QPixmap picture(body.width(), body.height() + bar);
    picture.fill(QColor(0x3c, 0x3c, 0x3c));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    painter.setFont(window->font());
    painter.drawText(QRect(8, 0, body.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft,
                     window->windowTitle());
    painter.drawPixmap(0, bar, body);
    return picture;
}

}  // namespace

ScreenshotTour::ScreenshotTour(MainWindow& window, const QString& folder)
    : QObject(&window), window_(window), folder_(folder) {
    folder_.mkpath(QStringLiteral("."));
    WaitFor(
        [this] {
            return !test::DiscsOf(window_).busy() && test::DiscsOf(window_).rows().size() > 0;
        },
        [this] {
            Save(&window_, QStringLiteral("main-window"));
            Playing([this] { Menus(0); });
        });
}

void ScreenshotTour::Save(QWidget* widget, const QString& name) {
    if (!widget || !WithCaption(widget).save(folder_.filePath(name + QStringLiteral(".png")))) {
        qWarning("screenshot %s failed", qPrintable(name));
        ok_ = false;
    }
    if (widget && CurrentLanguage() == Language::kEnglish) {
        // An English window shows Chinese only in data, the disc's titles and the like, and
        // where texts of the ripping, drive and verification code come through: their
        // translation is still to come.
        static const QStringList kLater = {
            QStringLiteral("设备: "),       QStringLiteral("正在抓取 CDDA:"),
            QStringLiteral("正在编码 ("),   QStringLiteral("读取完成，正在编码余下的音轨"),
            QStringLiteral("数据库的回复"), QStringLiteral("正在写入"),
            QStringLiteral("已编码 "),      QStringLiteral("AccurateRip 是一个收集"),
            QStringLiteral("条音轨中"),     QStringLiteral("未能从 AccurateRip 数据库"),
            QStringLiteral("CTDB 数据库"),  QStringLiteral("普通"),
            QStringLiteral("查询失败"),     QStringLiteral("准确抓取"),
            QStringLiteral("不准确"),       QStringLiteral("不在数据库中"),
            QStringLiteral("无法校验"),     QStringLiteral("正在抓取 "),
            QStringLiteral(") 抓取 ")};
        for (const QString& text : ForeignTexts(widget, DataTexts(), kLater)) {
            qWarning("screenshot %s: Chinese in an English window: %s", qPrintable(name),
                     qPrintable(text));
            ok_ = false;
        }
        // The English texts have accelerators of their own, chosen anew.
        for (const QString& clash : MnemonicClashes(widget)) {
            qWarning("screenshot %s: one accelerator for two controls: %s", qPrintable(name),
                     qPrintable(clash));
            ok_ = false;
        }
    }
}

QStringList ScreenshotTour::DataTexts() const {
    const DiscInfo& disc = test::DiscsOf(window_).disc();
    QStringList texts;
    for (const std::string* field :
         {&disc.album.Title, &disc.album.Artist, &disc.album.GenreName, &disc.album.Comment})
        texts.append(QString::fromStdString(*field));
    for (const TrackInfo& track : disc.tracks)
        texts.append({QString::fromStdString(track.Title), QString::fromStdString(track.Artist)});
    // The names of the long rip's items and the failing job's file.
    for (int n = 1; n <= 99; ++n)
        texts.append({QStringLiteral("第 %1 首歌的名字也相当长").arg(n),
                      QStringLiteral("第 %1 首歌").arg(n)});
    texts.append(QStringLiteral("坏文件"));
    // The freedb and MusicBrainz answers the tour makes up.
    texts.append({QStringLiteral("初恋 (十五周年纪念版) 豪华限定盘"),
                  QStringLiteral("初恋 (十五周年纪念版)"), QStringLiteral("初恋"),
                  QStringLiteral("演示歌手"), QStringLiteral("演示专辑"),
                  QStringLiteral("一张名字很长的专辑 (二十周年纪念版)")});
    // The language list names each language in its own words.
    texts.append(QStringLiteral("中文"));
    // The longest first, so that a title is taken out whole before a shorter one inside it.
    std::sort(texts.begin(), texts.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return texts;
}

void ScreenshotTour::WaitFor(std::function<bool()> ready, Step then) {
    auto* timer = new QTimer(this);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(timer, &QTimer::timeout, this, [this, timer, clock, ready, then] {
        if (ready()) {
            timer->deleteLater();
            QTimer::singleShot(kSettleMs, this, then);
        } else if (clock->elapsed() > 60000) {
            timer->deleteLater();
            QWidget* modal = QApplication::activeModalWidget();
            qWarning("screenshot tour: a window did not come (showing: %s)",
                     modal ? qPrintable(modal->windowTitle()) : "nothing modal");
            if (modal)
                modal->grab().save(folder_.filePath(QStringLiteral("stuck.png")));
            ok_ = false;
            QApplication::exit(1);
        }
    });
    timer->start(50);
}

void ScreenshotTour::WithModal(const Step& open, std::function<void(QWidget*)> inside) {
    WaitFor([] { return QApplication::activeModalWidget() != nullptr; },
            [inside] { inside(QApplication::activeModalWidget()); });
    open();
}

// The main window while the second track plays: the slider and the time move and the
// status line names the track once the player has taken it over.
void ScreenshotTour::Playing(Step then) {
    TrackList& rows = test::DiscsOf(window_).rows();
    for (int p = 0; p < rows.size(); ++p)
        rows.row(p).checked = p >= 1;
    test::DiscsOf(window_).model()->rowsChanged();
    test::ActionOf(window_, cmd::kPlaySelected)->trigger();
    WaitFor(
        [this] {
            return test::StatusOf(window_)->text().startsWith(tr("正在播放: %1").arg(QString())) &&
                   test::TimeOf(window_)->text() >= QStringLiteral("00:02");
        },
        [this, then] {
            Save(&window_, QStringLiteral("main-window-playing"));
            test::ActionOf(window_, cmd::kStop)->trigger();
            QTimer::singleShot(kSettleMs, this, then);
        });
}

void ScreenshotTour::Menus(int index) {
    static const char* const kNames[] = {"menu-file", "menu-edit", "menu-action", "menu-help"};
    if (index == 4) {
        Dialogs();
        return;
    }
    QMenu* menu = test::MenuOf(window_, index);
    test::ActionOf(window_, cmd::kOpenFileMenu + index)->trigger();
    WaitFor(
        [menu] { return menu->isVisible(); },
        [this, menu, index] {
            // The window with its menu dropped down, as the user sees it.
            QPixmap shot = window_.grab();  // the menu bar names the window well enough
            const QPoint at = window_.mapFromGlobal(menu->pos());
            QPixmap picture(window_.width(), std::max(window_.height(), at.y() + menu->height()));
            picture.fill(Qt::white);
            {
                QPainter painter(&picture);
                painter.drawPixmap(0, 0, shot);
                painter.drawPixmap(at, menu->grab());
            }
            if (!picture.save(
                    folder_.filePath(QString::fromLatin1(kNames[index]) + QStringLiteral(".png"))))
                ok_ = false;
            menu->hide();
            QTimer::singleShot(kSettleMs, this, [this, index] { Menus(index + 1); });
        });
}

void ScreenshotTour::Dialogs() {
    test::ListOf(window_)->setCurrentIndex(test::DiscsOf(window_).model()->index(0, 0));
    WithModal([this] { test::ActionOf(window_, cmd::kTrackInfo)->trigger(); },
              [this](QWidget* dialog) {
                  Save(dialog, QStringLiteral("track-info"));
                  if (QPushButton* more = test::ButtonCaptioned(*dialog, tr("更多 >>>")))
                      more->click();
                  QTimer::singleShot(kSettleMs, this, [this, dialog] {
                      Save(dialog, QStringLiteral("track-info-more"));
                      qobject_cast<QDialog*>(dialog)->reject();
                      QTimer::singleShot(kSettleMs, this, [this] {
                          WithModal([this] { test::ActionOf(window_, cmd::kDiscInfo)->trigger(); },
                                    [this](QWidget* album) {
                                        Save(album, QStringLiteral("album-info"));
                                        qobject_cast<QDialog*>(album)->reject();
                                        QTimer::singleShot(kSettleMs, this, [this] { Options(); });
                                    });
                      });
                  });
              });
}

void ScreenshotTour::Options() {
    WithModal([this] { test::ActionOf(window_, cmd::kOptions)->trigger(); },
              [this](QWidget* modal) {
                  if (auto* sheet = qobject_cast<OptionsSheet*>(modal)) {
                      OptionsPages(sheet, 0);
                      return;
                  }
                  Save(nullptr, QStringLiteral("options"));
                  qobject_cast<QDialog*>(modal)->reject();
                  QTimer::singleShot(kSettleMs, this, [this] { RipJob(); });
              });
}

void ScreenshotTour::OptionsPages(OptionsSheet* sheet, int page) {
    static const char* const kNames[kOptionsPageCount] = {
        "options-output", "options-mp3",        "options-ogg",         "options-flac",
        "options-opus",   "options-freedb",     "options-musicbrainz", "options-cdrom",
        "options-verify", "options-appearance", "options-misc1",       "options-misc2"};
    if (page < kOptionsPageCount) {
        sheet->selectPage(OptionsPageId(page));
        QTimer::singleShot(kSettleMs, this, [this, sheet, page] {
            Save(sheet, QString::fromLatin1(kNames[page]));
            if (OptionsPageId(page) == OptionsPageId::kVerify)
                FindOffset(sheet, [this, sheet, page] { OptionsPages(sheet, page + 1); });
            else
                OptionsPages(sheet, page + 1);
        });
        return;
    }
    // Last, the Advanced dialog over the MP3 page: the sheet itself is modal already.
    sheet->selectPage(OptionsPageId::kMp3);
    WaitFor(
        [sheet] {
            QWidget* modal = QApplication::activeModalWidget();
            return modal && modal != sheet;
        },
        [this, sheet] {
            QWidget* advanced = QApplication::activeModalWidget();
            Save(advanced, QStringLiteral("options-advanced"));
            qobject_cast<QDialog*>(advanced)->reject();
            QTimer::singleShot(kSettleMs, this, [this, sheet] {
                sheet->reject();
                QTimer::singleShot(kSettleMs, this, [this] { RipJob(); });
            });
        });
    test::PartOf<QPushButton>(*sheet, "advancedButton").click();
}

void ScreenshotTour::RipJob() {
    test::ActionOf(window_, cmd::kSelectAll)->trigger();
    test::ActionOf(window_, cmd::kRip)->trigger();
    WaitFor(
        [this] {
            ProgressWindow* p = test::ProgressOf(window_);
            return p &&
                   test::PartOf<ProgressPage>(*p, "extractPage")
                       .barText()
                       .endsWith(QLatin1Char('%')) &&
                   test::PartOf<ProgressPage>(*p, "extractPage").barText() !=
                       QStringLiteral("0.0%");
        },
        [this] {
            Save(test::ProgressOf(window_), QStringLiteral("progress"));
            WaitFor(
                [this] {
                    ProgressWindow* p = test::ProgressOf(window_);
                    return p && p->page() == ProgressWindow::kCompletionPage;
                },
                [this] {
                    Save(test::ProgressOf(window_), QStringLiteral("completion"));
                    const QStringList files =
                        test::PartOf<CompletionPage>(*test::ProgressOf(window_), "completionPage")
                            .files();
                    test::PartOf<QPushButton>(*test::ProgressOf(window_), "button").click();
                    WaitFor(
                        [this] {
                            return !test::ProgressOf(window_) && !test::JobsOf(window_).running();
                        },
                        [this, files] {
                            // The tour rips MP3, which cannot be checked: the disc image's
                            // own sheet stands in for a rip on disk then.
                            QString rip = files.value(0);
                            const QStringList args = QCoreApplication::arguments();
                            const auto image = args.indexOf(QStringLiteral("--image"));
                            if (!rip.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) &&
                                image >= 0 && image + 1 < args.size())
                                rip = args[image + 1];
                            VerifyJob(rip, [this] { LongRipPictures([this] { FailingJob(); }); });
                        });
                });
        });
}

void ScreenshotTour::FindOffset(OptionsSheet* sheet, Step then) {
    auto* detect = sheet->findChild<QPushButton*>(QStringLiteral("detectOffsetButton"));
    if (!detect) {
        then();
        return;
    }
    WaitFor(
        [sheet] {
            QWidget* modal = QApplication::activeModalWidget();
            return modal && modal != sheet;
        },
        [this, then] {
            QWidget* search = QApplication::activeModalWidget();
            WaitFor(
                [search] {
                    return test::PartOf<QPushButton>(*search, "closeButton").text() == tr("关闭");
                },
                [this, search, then] {
                    Save(search, QStringLiteral("find-offset"));
                    qobject_cast<QDialog*>(search)->reject();
                    QTimer::singleShot(kSettleMs, this, then);
                });
        });
    QTimer::singleShot(0, detect, &QPushButton::click);
}

void ScreenshotTour::VerifyJob(const QString& trackFile, Step then) {
    WithModal([this] { test::ActionOf(window_, cmd::kVerifyRip)->trigger(); },
              [this, trackFile, then](QWidget* widget) {
                  auto* dialog = qobject_cast<QFileDialog*>(widget);
                  if (!dialog || trackFile.isEmpty()) {
                      if (dialog)
                          dialog->reject();
                      then();
                      return;
                  }
                  dialog->setDirectory(QFileInfo(trackFile).absolutePath());
                  if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                      name->setText(QFileInfo(trackFile).fileName());
                  QMetaObject::invokeMethod(dialog, &QDialog::accept);
                  WaitFor(
                      [this] {
                          ProgressWindow* p = test::ProgressOf(window_);
                          return p &&
                                 (p->page() == ProgressWindow::kCompletionPage ||
                                  p->page() == ProgressWindow::kErrorPage) &&
                                 !test::JobsOf(window_).running();
                      },
                      [this, then] {
                          Save(test::ProgressOf(window_), QStringLiteral("verify-completion"));
                          test::PartOf<QPushButton>(*test::ProgressOf(window_), "button").click();
                          WaitFor([this] { return !test::ProgressOf(window_); }, then);
                      });
              });
}

void ScreenshotTour::FailingJob() {
    // A file that is no WAV file, where the file dialog opens: the encoder refuses it and
    // the job fails on it.
    const QString broken = QDir(QString::fromStdString(TheSettings().OutputFolder))
                               .filePath(QStringLiteral("坏文件.wav"));
    QFile file(broken);
    if (file.open(QIODevice::WriteOnly))
        file.write("not a wave file\n");
    file.close();
    WithModal([this] { test::ActionOf(window_, cmd::kEncodeWavToMp3)->trigger(); },
              [this, broken](QWidget* widget) {
                  auto* dialog = qobject_cast<QFileDialog*>(widget);
                  Save(dialog, QStringLiteral("file-dialog"));
                  if (!dialog) {
                      Finish();
                      return;
                  }
                  // selectFile leaves a focused name box alone: type into it as a user would.
                  if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                      name->setText(QFileInfo(broken).fileName());
                  QMetaObject::invokeMethod(dialog, &QDialog::accept);
                  WaitFor(
                      [this] {
                          ProgressWindow* p = test::ProgressOf(window_);
                          return p && p->page() == ProgressWindow::kErrorPage;
                      },
                      [this] {
                          ProgressWindow* p = test::ProgressOf(window_);
                          Save(p, QStringLiteral("error-page"));
                          WithModal(
                              [p] { test::ButtonCaptioned(*p, tr("查看日志(&V)..."))->click(); },
                              [this](QWidget* log) {
                                  Save(log, QStringLiteral("log-window"));
                                  qobject_cast<QDialog*>(log)->accept();
                                  QTimer::singleShot(kSettleMs, this, [this] {
                                      test::PartOf<QPushButton>(*test::ProgressOf(window_),
                                                                "button")
                                          .click();
                                      QueryWizard();
                                  });
                              });
                      });
              });
}

void ScreenshotTour::Finish() {
    QTimer::singleShot(kSettleMs, this, [this] { window_.close(); });
}

}  // namespace korvida::gui
