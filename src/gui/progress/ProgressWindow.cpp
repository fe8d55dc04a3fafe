#include "gui/progress/ProgressWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/batch/RecheckRip.h"
#include "core/jobs/Messages.h"
#include "core/platform/RunDetached.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipProgress.h"
#include "core/settings/Settings.h"
#include "gui/progress/CompletionPage.h"
#include "gui/progress/ErrorPage.h"
#include "gui/progress/LogWindow.h"
#include "gui/progress/ProgressPage.h"
#include "gui/progress/ProgressTexts.h"
#include "gui/widgets/GrowToShow.h"

namespace korvida::gui {
namespace {

// WM_START_JOB's lParam for a mode; a rip sends 4 too (ignored).
int StartKind(JobMode mode) {
    switch (mode) {
        case JobMode::kDecodeMp3:
            return 1;
        case JobMode::kNormaliseWav:
            return 2;
        case JobMode::kEncodeOgg:
            return 3;
        case JobMode::kEncodeFlac:
            return 5;
        case JobMode::kEncodeOpus:
            return 6;
        case JobMode::kDecodeFlac:
            return 7;
        case JobMode::kVerifyRip:
            return 8;
        case JobMode::kRip:
        case JobMode::kEncodeMp3:
            return 4;
    }
    return 4;
}

}  // namespace

ProgressWindow::ProgressWindow(int total, JobMode mode, LogLines& log, UserNotifier& notifier,
                               QWidget* parent)
    : QDialog(parent),
      total_(total),
      encodeMode_(mode != JobMode::kRip && mode != JobMode::kNormaliseWav &&
                  mode != JobMode::kVerifyRip),
      captions_(total, encodeMode_, mode == JobMode::kVerifyRip ? kRecheckCaption : nullptr),
      startLParam_(StartKind(mode)),
      log_(log),
      notifier_(notifier),
      pages_(new QStackedWidget(this)),
      extract_(new ProgressPage(tr("正在抓取 CDDA "), tr("正在初始化....."), pages_)),
      encode_(new ProgressPage(tr("正在编码 WAV 为 MP3 "), QString(), pages_)),
      error_(new ErrorPage(pages_)),
      completion_(new CompletionPage(notifier, pages_)),
      button_(new QPushButton(tr("终止(&A)"), this)),
      tick_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Korvida CD Ripper"));
    setWindowModality(Qt::ApplicationModal);
    extract_->setObjectName(QStringLiteral("extractPage"));
    encode_->setObjectName(QStringLiteral("encodePage"));
    error_->setObjectName(QStringLiteral("errorPage"));
    completion_->setObjectName(QStringLiteral("completionPage"));
    button_->setObjectName(QStringLiteral("button"));
    pages_->addWidget(extract_);
    pages_->addWidget(encode_);
    pages_->addWidget(error_);
    pages_->addWidget(completion_);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(32, 32));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(icon);
    bottom->addStretch();
    bottom->addWidget(button_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(bottom);
    resize(std::max(460, sizeHint().width()), sizeHint().height());

    if (mode == JobMode::kDecodeMp3 || mode == JobMode::kDecodeFlac) {
        encode_->SetGroupText(mode == JobMode::kDecodeMp3 ? tr("解码 MP3 为 WAV    ")
                                                          : tr("解码 FLAC 为 WAV    "));
        ShowPage(kEncodePage);
    } else if (mode == JobMode::kNormaliseWav) {
        encode_->SetGroupText(tr("规格化 WAV 文件    "));
        ShowPage(kEncodePage);
    } else if (mode == JobMode::kVerifyRip) {
        // FLAC files are decoded before they are read.
        encode_->SetGroupText(tr("解码 FLAC 为 WAV    "));
        extract_->SetGroupText(tr("正在校验已抓取的文件 "));
        ShowPage(kExtractPage);
    } else {
        ShowPage(encodeMode_ ? kEncodePage : kExtractPage);
    }
    if (mode == JobMode::kRip) {
        rip_ = std::make_unique<RipProgress>(total);
        // The rip's clock runs on between the worker's messages: a long step has no
        // progress to report.
        tick_->setInterval(1000);
        connect(tick_, &QTimer::timeout, this, &ProgressWindow::ShowJobTimes);
    }
    clock_.start();
    connect(button_, &QPushButton::clicked, this, &ProgressWindow::reject);
    connect(error_, &ErrorPage::viewLogRequested, this, &ProgressWindow::OpenLog);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    clock_.start();
    if (rip_)
        tick_->start();
    // The job starts once the window is up, so its first messages have a page to go to.
    QTimer::singleShot(0, this, [this] {
        emit startJob(encodeMode_ || startLParam_ == 2 || startLParam_ == 8 ? 1 : 0, startLParam_);
    });
}

ProgressWindow::Page ProgressWindow::page() const {
    return static_cast<Page>(pages_->currentIndex());
}

void ProgressWindow::ShowPage(Page page) {
    pages_->setCurrentIndex(page);
}

void ProgressWindow::HandleMessage(const Message& m) {
    const auto perMille = static_cast<std::uint32_t>(m.wParam);
    const auto elapsed = static_cast<std::uint32_t>(m.lParam);
    if (const auto caption = captions_.For(m)) {
        readCaption_ = *caption;
        setWindowTitle(QString::fromStdString(*caption));
    }
    if (rip_) {
        rip_->Take(m, static_cast<std::uint32_t>(clock_.elapsed()));
        if (const std::string title = rip_->Caption(readCaption_); !title.empty())
            setWindowTitle(QString::fromStdString(title));
        ShowJobTimes();
    }
    switch (m.id) {
        case WM_EXTRACT_PROGRESS:
            extract_->SetProgress(perMille, elapsed);
            break;
        case WM_ENCODE_PROGRESS:
            encode_->SetProgress(perMille, elapsed);
            break;
        case WM_ITEM_STATUS:
            if (m.wParam == 0 && !encodeMode_) {
                ShowPage(kExtractPage);
                extract_->SetGroupText(startLParam_ == 8 ? tr("正在校验已抓取的文件 ")
                                                         : tr("正在抓取 CDDA "));
            } else if (m.wParam == 0) {
                ShowPage(kEncodePage);
            } else {
                ShowPage(kExtractPage);
                extract_->SetGroupText(m.wParam == 1 ? tr("正在规格化 WAV ")
                                                     : tr("正在定位音量峰值"));
            }
            break;
        case WM_ENCODE_STATUS:
            ShowPage(kEncodePage);
            encode_->SetGroupText(m.wParam == 1   ? tr("正在编码 WAV 为 Ogg")
                                  : m.wParam == 3 ? tr("正在编码 WAV 为 FLAC")
                                  : m.wParam == 4 ? tr("正在编码 WAV 为 Opus")
                                                  : tr("正在编码 WAV 为 MP3"));
            break;
        case WM_DECODE_STATUS:
            ShowPage(kEncodePage);
            break;
        case WM_ENCODE_BEHIND:
        case WM_ENCODE_BEHIND_PROGRESS:
            if (rip_) {
                std::vector<std::pair<QString, std::uint32_t>> lines;
                for (const RipProgress::Encoding& line : rip_->encoding())
                    lines.emplace_back(QString::fromStdString(rip_->EncodingText(line)),
                                       line.perMille);
                extract_->SetEncoders(lines);
            }
            break;
        case WM_RIP_STEP:
            if (rip_) {
                extract_->SetGroupText(QString::fromStdString(rip_->stageText()));
                if (rip_->readingDone()) {
                    // The bar and times of the last track read would stand still.
                    extract_->SetItemShown(false);
                    ShowPage(kExtractPage);
                }
            }
            break;
        case WM_JOB_DONE: {
            // The worker waits in its send: the job and its items are there to read.
            if (const auto* job = reinterpret_cast<const RipJob*>(m.wParam))
                completion_->ShowJob(*job);
            tick_->stop();
            ShowPage(kCompletionPage);
            // A rip of many tracks lists many files.
            GrowToShow(this, pages_, completion_);
            setWindowTitle(tr("已完成！"));
            button_->setText(tr("关闭"));
            if (TheSettings().bOpenOutputFolder)
                OpenWithDesktop(NormalizedFolder(TheSettings().OutputFolder));
            break;
        }
        case WM_JOB_FAILED:
            tick_->stop();
            ShowPage(kErrorPage);
            button_->setText(tr("关闭"));
            break;
        default:
            break;
    }
}

void ProgressWindow::SetItemLengths(std::vector<std::uint32_t> frames) {
    if (rip_)
        rip_ = std::make_unique<RipProgress>(total_, std::move(frames));
}

void ProgressWindow::ShowJobTimes() {
    const auto now = static_cast<std::uint32_t>(clock_.elapsed());
    const auto left = rip_->LeftMs(now);
    const QString leftText = left ? ClockText(*left) : QStringLiteral("--:--");
    extract_->SetJobTimes(ClockText(now), leftText);
    encode_->SetJobTimes(ClockText(now), leftText);
}

void ProgressWindow::reject() {
    // Abort, Close, the close box and Escape: ask for a cancel (a finished job ignores
    // it; the next job resets the event) and close.
    emit cancelJob();
    QDialog::reject();
}

void ProgressWindow::OpenLog() {
    LogWindow window(log_, this);
    window.exec();
}

}  // namespace korvida::gui
