#include "gui/app/MainWindow.h"

#include <QHeaderView>
#include <QResizeEvent>

#include "core/cdrom/DriveSelection.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/LoadDisc.h"
#include "core/encode/EncoderLibrary.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"

namespace korvida::gui {
namespace {

// Settings hold colours as 0x00BBGGRR.
QColor FromBgr(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace

MainWindow::MainWindow(UserNotifier& notifier, DriveSources drives, QWidget* parent)
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

    // Without the encoder module only MP3 encoding is unavailable; the user is told.
    BindEncoderAtStartUp(s.MP3Encoder, notifier_);

    // Images named in the settings come before those of the command line.
    std::vector<std::string> images = SplitImageList(s.Images);
    images.insert(images.end(), drives.images.begin(), drives.images.end());
    drives.images = std::move(images);
    DriveSelection selection = CreateAndSelectDriver(TheSettings(), std::move(drives), notifier_);
    driver_ = std::move(selection.driver);
    statusLine_->setText(QString::fromStdString(selection.statusText));
    if (!selection.ok)
        return;  // no drive: the window stays usable for file jobs
    LoadDiscIntoList();
    autoplay_.SaveAndDisable(TheSettings().DisableAutoPlay);
}

MainWindow::~MainWindow() {
    if (driver_) {
        SaveDiscDatabase(disc_, rows_, notifier_);
        driver_->Stop();
    }
    SaveSettingsAtExit();
}

bool MainWindow::LoadDiscIntoList() {
    const bool ok = LoadDisc(*driver_, TheSettings(), disc_, rows_, notifier_).ok;
    ShowRows();
    return ok;
}

// The list widget mirrors the row model: one item per row, the track index as item data.
void MainWindow::ShowRows() {
    trackList_->clear();
    for (const auto& row : rows_.rows()) {
        auto* item = new QTreeWidgetItem(trackList_);
        for (int c = 0; c < 4; ++c) {
            item->setText(c, QString::fromStdString(row.texts[static_cast<std::size_t>(c)]));
            if (c != 1)
                item->setTextAlignment(c, Qt::AlignCenter);
        }
        item->setData(0, Qt::UserRole, row.trackIndex);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        item->setSelected(row.highlighted);
    }
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
