#include "gui/app/MainWindow.h"

#include <QHeaderView>
#include <QResizeEvent>

#include "core/jobs/UserNotifier.h"
#include "core/settings/Settings.h"

namespace korvida::gui {
namespace {

// Settings hold colours as 0x00BBGGRR.
QColor FromBgr(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace

MainWindow::MainWindow(UserNotifier& notifier, QWidget* parent)
    : QWidget(parent),
      notifier_(notifier),
      trackList_(new QTreeWidget(this)),
      statusLine_(new QLabel(this)),
      timeDisplay_(new QLabel(QStringLiteral("00:00"), this)) {
    setWindowTitle(QStringLiteral("Korvida CD Ripper"));
    LoadSettingsAtStartUp();

    const Settings& s = TheSettings();
    trackList_->setColumnCount(4);
    trackList_->setHeaderLabels({QStringLiteral("编号"), QStringLiteral("标题"),
                                 QStringLiteral("长度(分钟)"), QStringLiteral("大小(MB)")});
    trackList_->setRootIsDecorated(false);
    trackList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    trackList_->setAllColumnsShowFocus(true);
    trackList_->header()->setStretchLastSection(false);
    for (int c = 0; c < 4; ++c) {
        trackList_->setColumnWidth(c, s.ColumnWidth[static_cast<std::size_t>(c)]);
        if (c != 1)
            trackList_->headerItem()->setTextAlignment(c, Qt::AlignCenter);
    }
    ApplyColors();

    move(s.WindowLeft, s.WindowTop);
    resize(s.WindowWidth, s.WindowHeight);
}

MainWindow::~MainWindow() {
    SaveSettingsAtExit();
}

void MainWindow::LoadSettingsAtStartUp() {
    Settings& settings = TheSettings();
    std::string error;
    if (!LoadSettings(settings, SettingsPath(), &error))
        notifier_.ShowMessage(error);
    PrepareFolders(settings, notifier_);
}

void MainWindow::ApplyColors() {
    const Settings& s = TheSettings();
    QPalette list = trackList_->palette();
    list.setColor(QPalette::Base, FromBgr(s.BackgroundColor));
    list.setColor(QPalette::Text, FromBgr(s.TextColor));
    list.setColor(QPalette::HighlightedText, FromBgr(s.TextSelColor));
    trackList_->setPalette(list);
    QPalette status = statusLine_->palette();
    status.setColor(QPalette::WindowText, FromBgr(s.StatusLineColor));
    statusLine_->setPalette(status);
    timeDisplay_->setPalette(status);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = event->size().width();
    const int h = event->size().height();
    trackList_->setGeometry(27, 62, w - 55, h - 118);
    statusLine_->setGeometry(27, h - 22, w - 120, 20);
    timeDisplay_->setGeometry(w - 65, h - 22, 52, 20);
}

void MainWindow::SaveSettingsAtExit() {
    autoplay_.Restore();
    Settings& s = TheSettings();
    s.WindowLeft = x();
    s.WindowTop = y();
    s.WindowWidth = width();
    s.WindowHeight = height();
    for (int c = 0; c < 4; ++c)
        s.ColumnWidth[static_cast<std::size_t>(c)] = trackList_->columnWidth(c);
    std::string error;
    if (!SaveSettings(s, SettingsPath(), &error))
        notifier_.ShowMessage(error);
}

}  // namespace korvida::gui
