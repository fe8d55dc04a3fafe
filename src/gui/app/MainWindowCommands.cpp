// The main window's command handlers: each one checks what the command needs and hands
// the work to a controller, a dialog or the core.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTreeView>
#include <QUrl>

#include "core/disc/CdPlayerIni.h"
#include "core/disc/TrackListText.h"
#include "core/platform/DefaultMp3Player.h"
#include "core/platform/RunDetached.h"
#include "core/platform/UserNotifier.h"
#include "core/rip/RipCommand.h"
#include "core/settings/Settings.h"
#include "gui/app/CommandIds.h"
#include "gui/app/DiscController.h"
#include "gui/app/HelpPage.h"
#include "gui/app/JobController.h"
#include "gui/app/MainWindow.h"
#include "gui/freedb/FreedbWizards.h"
#include "gui/info/AlbumInfoDialog.h"
#include "gui/info/TrackInfoDialog.h"
#include "gui/player/PlayerController.h"
#include "gui/progress/LogWindow.h"
#include "gui/settings/OptionsSheet.h"
#include "gui/widgets/ExtendedFileDialog.h"
#include "gui/widgets/FileNameBytes.h"
#include "gui/widgets/FitFileDialog.h"

namespace korvida::gui {

void MainWindow::BindHandlers() {
    using namespace cmd;
    TrackList& rows = discs_->rows();
    TrackTableModel* model = discs_->model();
    Bind(kEncodeWavToMp3, [this] { FileCommand(FileJobKind::kEncodeMp3); });
    Bind(kEncodeWavToOgg, [this] { FileCommand(FileJobKind::kEncodeOgg); });
    Bind(kDecodeMp3ToWav, [this] { FileCommand(FileJobKind::kDecodeMp3); });
    Bind(kNormaliseWav, [this] { FileCommand(FileJobKind::kNormaliseWav); });
    Bind(kOpenImage, [this] { OpenImage(); });
    Bind(kImportCdPlayerIni, [this, model] {
        if (!discs_->hasDrive() || discs_->busy())
            return;
        ImportCdPlayerIni(*discs_->driver(), discs_->disc(), discs_->rows(), notifier_);
        model->rowsChanged();
    });
    Bind(kExportCdPlayerIni, [this] {
        if (discs_->hasDrive() && !discs_->busy())
            ExportCdPlayerIni(*discs_->driver(), discs_->disc(), discs_->rows(), notifier_);
    });
    Bind(kDefaultPlayer, [this] { DefaultPlayer(); });
    Bind(kViewLog, [this] { ViewLog(); });
    Bind(kEject, [this] { discs_->eject(); });
    Bind(kExit, [this] { close(); });

    Bind(kTrackInfo, [this] { TrackInformation(); });
    Bind(kDiscInfo, [this] { DiscInformation(); });
    Bind(kSelectAll, [&rows, model] {
        rows.CheckAll(true);
        model->rowsChanged();
    });
    Bind(kSelectNone, [&rows, model] {
        rows.CheckAll(false);
        model->rowsChanged();
    });
    Bind(kInvertSelection, [&rows, model] {
        rows.InvertChecks();
        model->rowsChanged();
    });
    Bind(kUpperCase, [this] { ChangeCase(static_cast<int>(TextCase::kUpper)); });
    Bind(kLowerCase, [this] { ChangeCase(static_cast<int>(TextCase::kLower)); });
    Bind(kCapitalise, [this] { ChangeCase(static_cast<int>(TextCase::kCapitalise)); });
    Bind(kCopyToClipboard, [this] { CopyToClipboard(); });
    Bind(kOptions, [this] { OpenOptions(); });

    Bind(kRip, [this] { Rip(); });
    Bind(kOpenOutputFolder, [] { OpenWithDesktop(NormalizedFolder(TheSettings().OutputFolder)); });
    // The reload reads the titles back from the disc database: typed ones go there first.
    Bind(kRefreshToc, [this] {
        discs_->storeDisc();
        discs_->refresh();
    });
    Bind(kHelpTopics, [this] { Help(); });
    Bind(kAbout, [this] { About(); });

    Bind(kMoveTop, [this] { MoveRow(static_cast<int>(TrackList::Move::kTop)); });
    Bind(kMoveUp, [this] { MoveRow(static_cast<int>(TrackList::Move::kUp)); });
    Bind(kMoveDown, [this] { MoveRow(static_cast<int>(TrackList::Move::kDown)); });
    Bind(kMoveBottom, [this] { MoveRow(static_cast<int>(TrackList::Move::kBottom)); });
    Bind(kButtonMinimise, [this] { showMinimized(); });
    Bind(kOpenFileMenu, [this] { OpenMenu(0); });
    Bind(kOpenEditMenu, [this] { OpenMenu(1); });
    Bind(kOpenActionMenu, [this] { OpenMenu(2); });
    Bind(kOpenHelpMenu, [this] { OpenMenu(3); });

    Bind(kPlaySelected, [this] { player_->PlaySelected(); });
    Bind(kPlayHighlighted, [this] { player_->PlayHighlighted(); });
    Bind(kButtonPause, [this] { player_->Pause(); });
    Bind(kStop, [this] { player_->Stop(); });
    Bind(kPreviousTrack, [this] { player_->Previous(); });
    Bind(kNextTrack, [this] { player_->Next(); });
    Bind(kVolumeControl, [this] { VolumeControl(); });
    Bind(kQueryFreedb, [this] { RunQueryWizard(*discs_, notifier_, this); });
    Bind(kSubmitFreedb, [this] { RunSubmitWizard(*discs_, *target_, notifier_, this); });
}

void MainWindow::OpenMenu(int index) {
    QMenu* m = menu(index);
    const QRect title = menuBar()->actionGeometry(m->menuAction());
    m->popup(menuBar()->mapToGlobal(title.bottomLeft()));
}

// The one place that opens the options sheet: the Edit menu, the toolbar and the batch
// file dialogs' "选项..." button all come here, so the steps after OK are the same.
void MainWindow::OpenOptions(QWidget* over) {
    // The disc worker selects drives with the live settings; the sheet waits for it.
    if (discs_->busy() || jobs_->running())
        return;
    OptionsContext context;
    if (discs_->hasDrive())
        context.driveNames = DriveNamesOf(discs_->driver());
    OptionsOutcome outcome;
    if (RunOptionsSheet(over ? over : this, TheSettings(), std::move(context), &outcome))
        ApplyOptions(outcome);
}

void MainWindow::ApplyOptions(const OptionsOutcome& outcome) {
    const Settings& s = TheSettings();
    if (auto* native = dynamic_cast<CSCSIDriverNative*>(discs_->driver())) {
        native->SetDeviceType(s.DeviceType);
        native->SetDigitalPlayback(s.DigitalPlayback != 0);
    }
    if (outcome.transportChanged)
        discs_->recreateDriver();
    else if (outcome.driveChanged)
        discs_->changeDrive(outcome.drive);
    // The verb was only taken over when a drive was found; without one it stays the user's.
    if (autoplaySaved_)
        autoplay_.Apply(s.DisableAutoPlay);
    if (outcome.colorsChanged)
        ApplyColors();
}

void MainWindow::ChangeCase(int change) {
    ChangeTitleCase(discs_->rows(), discs_->disc(), static_cast<TextCase>(change));
    discs_->model()->rowsChanged();
}

void MainWindow::MoveRow(int move) {
    TrackList& rows = discs_->rows();
    if (rows.FirstHighlighted() < 0) {
        notifier_.ShowMessage(tr("请高亮显示一个音轨条目以编辑其信息。").toStdString());
        return;
    }
    discs_->model()->resetWith([&] { rows.MoveHighlighted(static_cast<TrackList::Move>(move)); });
    ShowHighlight();
}

void MainWindow::TrackInformation() {
    TrackList& rows = discs_->rows();
    if (rows.FirstHighlighted() < 0) {
        notifier_.ShowMessage(tr("请高亮显示一个音轨条目以编辑其信息。").toStdString());
        return;
    }
    TrackInfoDialog dialog(rows, discs_->disc(), this);
    // The list follows the dialog from track to track, with the title just stored.
    connect(&dialog, &TrackInfoDialog::highlightMoved, this, [this] {
        discs_->model()->rowsChanged();
        ShowHighlight();
    });
    dialog.exec();
    discs_->model()->rowsChanged();
    ShowHighlight();
}

void MainWindow::DiscInformation() {
    if (discs_->rows().empty()) {
        notifier_.ShowMessage(tr("没有 CD 可以使用！").toStdString());
        return;
    }
    AlbumInfoDialog dialog(discs_->disc(), discs_->rows().size(), this);
    dialog.exec();
}

void MainWindow::CopyToClipboard() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(ClipboardText(discs_->rows())));
    notifier_.ShowMessage(tr("成功复制 TOC 到剪贴板。").toStdString(),
                          UserNotifier::Icon::kInformation);
}

void MainWindow::Rip() {
    if (discs_->busy())
        return;
    const int total = PrepareRip(discs_->rows(), discs_->driver(), notifier_);
    if (total == 0)
        return;
    player_->Reset();  // the rip has stopped the drive: the timer must not ask it
    jobs_->SetRipSource(discs_->driver(), &discs_->rows(), &discs_->disc());
    OpenProgress(total, JobMode::kRip);
}

void MainWindow::FileCommand(FileJobKind kind) {
    QString title, filter;
    JobMode mode = JobMode::kEncodeMp3;
    const QString wave = tr("Wave 文件 (*.wav)");
    switch (kind) {
        case FileJobKind::kEncodeMp3:
            title = tr("编码 WAV 为 MP3"), filter = wave, mode = JobMode::kEncodeMp3;
            break;
        case FileJobKind::kEncodeOgg:
            title = tr("编码 WAV 为 OGG"), filter = wave, mode = JobMode::kEncodeOgg;
            break;
        case FileJobKind::kDecodeMp3:
            title = tr("解码 MP3 为 WAV"), filter = tr("MP3 文件 (*.mp3)"),
            mode = JobMode::kDecodeMp3;
            break;
        case FileJobKind::kNormaliseWav:
            title = tr("规格化 WAV 文件"), filter = wave, mode = JobMode::kNormaliseWav;
            break;
    }
    // The previous batch's items go now, whatever the user answers.
    jobs_->SetFileItems({});
    ExtendedFileDialog dialog(title, filter,
                              FileNameText(NormalizedFolder(TheSettings().OutputFolder)), this);
    connect(&dialog, &ExtendedFileDialog::optionsRequested, this,
            [this, &dialog] { OpenOptions(&dialog); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::string> paths;
    for (const QUrl& file : dialog.selectedUrls())
        paths.push_back(FileNameBytes(file));
    if (paths.empty())
        return;
    jobs_->SetFileItems(paths);
    OpenProgress(static_cast<int>(paths.size()), mode);
}

void MainWindow::OpenProgress(int total, JobMode mode) {
    progress_ = new ProgressWindow(total, mode, log_, notifier_, this);
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress_, &ProgressWindow::startJob, jobs_, &JobController::Start);
    connect(progress_, &ProgressWindow::cancelJob, jobs_, &JobController::Cancel);
    connect(jobs_, &JobController::jobMessage, progress_, &ProgressWindow::HandleMessage);
    connect(progress_, &QObject::destroyed, this, [this] {
        progress_ = nullptr;
        UpdateCommandStates();
    });
    UpdateCommandStates();
    progress_->show();
}

void MainWindow::OpenImage() {
    QFileDialog dialog(this, tr("打开 CD 映像"), QDir::homePath(), tr("CD 映像 (*.cue)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    FitFileDialog(dialog);
    // As a URL: a desktop's own dialog hands over the name's bytes in it.
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedUrls().isEmpty())
        discs_->openImage(FileNameBytes(dialog.selectedUrls().first()));
}

void MainWindow::DefaultPlayer() {
    const Settings& s = TheSettings();
    const Mp3Player player = ResolveMp3Player(s.MP3Player, {});
    if (player.program.empty()) {
        notifier_.ShowMessage(
            tr("没有找到默认的 MP3 播放器！\n请从“编辑 -> 选项”菜单中指定您的 MP3 "
               "播放器的位置。")
                .toStdString());
        return;
    }
    if (!RunDetached(PlayerCommand(player, {})))  // the player alone, without a file
        notifier_.ShowMessage(
            tr("无法启动默认的 MP3 播放器:\n %1\n请从“编辑 -> 选项”菜单中指定您的 "
               "MP3 播放器的位置。")
                .arg(QString::fromStdString(player.program))
                .toStdString());
}

void MainWindow::Help() {
    const QString page = HelpPagePath();
    if (page.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        notifier_.ShowMessage(tr("不能打开帮助页面。").toStdString());
}

void MainWindow::About() {
    QMessageBox::about(
        this, tr("关于 Korvida CD Ripper"),
        tr("<h3>Korvida CD Ripper %1</h3><p>把音乐 CD 抓取为 WAV、MP3 或 Ogg Vorbis 文件。</p>"
           "<p>本程序是自由软件，按 GNU 通用公共许可证第 2 版或更高版本发布。</p>")
            .arg(QApplication::applicationVersion()));
}

void MainWindow::ViewLog() {
    LogWindow window(log_, this);
    window.exec();
}

}  // namespace korvida::gui
