#include "gui/app/FindOffsetDialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "core/jobs/JobParties.h"
#include "core/jobs/Messages.h"

namespace korvida::gui {

FindOffsetDialog::FindOffsetDialog(const DiscInfo& disc, CSCSIDriver* driver,
                                   const Settings& settings, QWidget* parent)
    : QDialog(parent),
      disc_(disc),
      driver_(driver),
      settings_(settings),
      status_(new QLabel(tr("正在读取光盘并与 AccurateRip 数据库比较....."))),
      progress_(new QProgressBar),
      offsets_(new QListWidget),
      use_(new QPushButton(tr("使用此偏移(&U)"))),
      close_(new QPushButton(tr("取消"))),
      target_(this, [this](const Message& m) { Handle(m); }) {
    setWindowTitle(tr("检测读取偏移"));
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 1000);
    offsets_->setObjectName(QStringLiteral("offsets"));
    use_->setObjectName(QStringLiteral("useButton"));
    close_->setObjectName(QStringLiteral("closeButton"));
    use_->setEnabled(false);
    use_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(use_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addWidget(offsets_, 1);
    layout->addLayout(buttons);
    resize(440, 300);

    connect(offsets_, &QListWidget::currentRowChanged, this,
            [this](int row) { use_->setEnabled(row >= 0 && job_.finished()); });
    connect(use_, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = offsets_->currentItem()) {
            chosen_ = item->data(Qt::UserRole).toInt();
            accept();
        }
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

FindOffsetDialog::~FindOffsetDialog() {
    // The worker may be waiting in a send to this window: let it go, then stop it.
    target_.Close();
    job_.Stop();
}

void FindOffsetDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    // Once the window is up, so that the first messages have somewhere to go.
    QTimer::singleShot(0, this, [this] {
        JobParties parties;
        parties.driver = driver_;
        parties.progressWindow = &target_;
        parties.mainWindow = &target_;
        job_ = StartFindReadOffset(disc_, driver_, parties, settings_);
    });
}

void FindOffsetDialog::Handle(const Message& m) {
    switch (m.id) {
        case WM_EXTRACT_PROGRESS:
            progress_->setValue(static_cast<int>(m.wParam));
            break;
        case WM_JOB_LOG:
            break;  // the steps are the status line's, and the search needs no log
        case WM_JOB_DONE:
        case WM_JOB_FAILED:
            // The worker goes on once this send returns; take the results when it has.
            QTimer::singleShot(0, this, &FindOffsetDialog::Ended);
            break;
        default:
            break;
    }
}

void FindOffsetDialog::Ended() {
    job_.Wait();
    progress_->setValue(1000);
    close_->setText(tr("关闭"));
    const FindOffsetJob* job = job_.get();
    if (!job || job->outcome != FindOffsetJob::Outcome::kFound) {
        status_->setText(job ? QString::fromStdString(FindOffsetOutcomeText(*job))
                             : tr("检测失败。"));
        return;
    }
    status_->setText(
        tr("以下读取偏移使抓取的音轨与 AccurateRip 数据库一致 "
           "(最可靠的在最前)。选择一个并按“使用此偏移”，"
           "在选项中按“确定”后保存。"));
    for (const OffsetCandidate& candidate : job->offsets) {
        auto* item = new QListWidgetItem(
            tr("%1 个采样 (%2/%3 条音轨一致，可信度 %4)")
                .arg(candidate.offset > 0 ? QStringLiteral("+%1").arg(candidate.offset)
                                          : QString::number(candidate.offset))
                .arg(candidate.tracks)
                .arg(job->tracksCompared)
                .arg(candidate.confidence),
            offsets_);
        item->setData(Qt::UserRole, candidate.offset);
    }
    offsets_->setCurrentRow(0);
    use_->setEnabled(true);
}

}  // namespace korvida::gui
