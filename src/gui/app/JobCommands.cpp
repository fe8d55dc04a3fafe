#include "gui/app/JobCommands.h"

#include <QUrl>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/batch/RecheckSource.h"
#include "core/rip/HiddenTrack.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/app/JobController.h"
#include "gui/progress/LogLines.h"
#include "gui/progress/LogWindow.h"
#include "gui/widgets/ExtendedFileDialog.h"
#include "gui/widgets/FileNameBytes.h"

namespace korvida::gui {

JobCommands::JobCommands(DiscController& discs, UserNotifier& notifier, Host host, QWidget* window)
    : QObject(window),
      discs_(discs),
      notifier_(notifier),
      host_(std::move(host)),
      window_(window),
      log_(new LogLines(this)),
      jobs_(new JobController(*log_, notifier, this)) {
    jobs_->SetRipSource(nullptr, &discs_.rows(), &discs_.disc());
    connect(jobs_, &JobController::runningChanged, this, &JobCommands::busyChanged);
}

JobCommands::~JobCommands() {
    blockSignals(true);  // the window that listens is going too
    // Before the job runner: the window's destroyed() handler reaches into this object.
    delete progress_;
    delete jobs_;
    jobs_ = nullptr;
}

bool JobCommands::busy() const {
    return progress_ || (jobs_ && jobs_->running());
}

void JobCommands::Rip() {
    if (discs_.busy())
        return;
    int total = PrepareRip(discs_.rows(), discs_.disc(), discs_.driver(), notifier_);
    if (total == 0)
        return;
    host_.beforeRip();
    jobs_->SetRipSource(discs_.driver(), &discs_.rows(), &discs_.disc());
    // The tracks' lengths weigh the time the rip still needs.
    std::vector<std::uint32_t> lengths;
    // The hidden track, when the rip may find one, is read first.
    if (const std::uint32_t hidden =
            HiddenTrackCandidate(discs_.rows(), discs_.disc(), TheSettings())) {
        ++total;
        lengths.push_back(hidden);
    }
    const auto planned = BuildRipJob(discs_.rows(), discs_.disc());
    for (const RipJobItem& item : planned->items)
        lengths.push_back(item.end > item.start ? item.end - item.start : 0);
    OpenProgress(total, JobMode::kRip, std::move(lengths));
}

void JobCommands::FileCommand(FileJobKind kind) {
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
        case FileJobKind::kEncodeFlac:
            title = tr("编码 WAV 为 FLAC"), filter = wave, mode = JobMode::kEncodeFlac;
            break;
        case FileJobKind::kEncodeOpus:
            title = tr("编码 WAV 为 Opus"), filter = wave, mode = JobMode::kEncodeOpus;
            break;
        case FileJobKind::kDecodeFlac:
            title = tr("解码 FLAC 为 WAV"), filter = tr("FLAC 文件 (*.flac)"),
            mode = JobMode::kDecodeFlac;
            break;
        case FileJobKind::kNormaliseWav:
            title = tr("规格化 WAV 文件"), filter = wave, mode = JobMode::kNormaliseWav;
            break;
        case FileJobKind::kVerifyRip:
            VerifyRip();  // not files to convert: a rip to check
            return;
    }
    // The previous batch's items go now, whatever the user answers.
    jobs_->SetFileItems({});
    ExtendedFileDialog dialog(title, filter,
                              FileNameText(NormalizedFolder(TheSettings().OutputFolder)), window_);
    connect(&dialog, &ExtendedFileDialog::optionsRequested, this,
            [this, &dialog] { host_.openOptions(&dialog); });
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

void JobCommands::VerifyRip() {
    jobs_->SetFileItems({});
    ExtendedFileDialog dialog(tr("校验已抓取的文件"),
                              tr("cue 表、抓取日志或音轨文件 (*.cue *.log *.wav *.flac)"),
                              FileNameText(NormalizedFolder(TheSettings().OutputFolder)), window_);
    connect(&dialog, &ExtendedFileDialog::optionsRequested, this,
            [this, &dialog] { host_.openOptions(&dialog); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty())
        return;
    std::string path = FileNameBytes(dialog.selectedUrls().front());
    // A track file stands for its folder: the rip is its files together.
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension != ".cue" && extension != ".CUE" && extension != ".log" && extension != ".LOG")
        path = std::filesystem::path(path).parent_path().string();
    jobs_->SetFileItems({path});
    OpenProgress(ExpectedRecheckTracks(path), JobMode::kVerifyRip);
}

void JobCommands::OpenProgress(int total, JobMode mode, std::vector<std::uint32_t> lengths) {
    progress_ = new ProgressWindow(total, mode, *log_, notifier_, window_);
    progress_->SetItemLengths(std::move(lengths));
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress_, &ProgressWindow::startJob, jobs_, &JobController::Start);
    connect(progress_, &ProgressWindow::cancelJob, jobs_, &JobController::Cancel);
    connect(jobs_, &JobController::jobMessage, progress_, &ProgressWindow::HandleMessage);
    connect(progress_, &QObject::destroyed, this, [this] {
        progress_ = nullptr;
        emit busyChanged();
    });
    emit busyChanged();
    progress_->show();
}

void JobCommands::ViewLog() {
    LogWindow window(*log_, window_);
    window.exec();
}

}  // namespace korvida::gui
