#include "gui/progress/CompletionPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "core/rip/RipJob.h"
#include "core/platform/DefaultMp3Player.h"
#include "core/platform/OutputBase.h"
#include "core/platform/RunDetached.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "core/verify/VerificationSummary.h"
#include "core/verify/VerificationText.h"
#include "gui/widgets/FileNameBytes.h"

namespace korvida::gui {
namespace {

enum Column { kFileColumn, kResultColumn, kColumnCount };
constexpr int kPathRole = Qt::UserRole;

QPixmap IconFor(const QStyle* style, VerificationSummary::Level level) {
    const auto icon = level == VerificationSummary::Level::kProblem
                          ? QStyle::SP_MessageBoxWarning
                          : QStyle::SP_MessageBoxInformation;
    return style->standardIcon(icon).pixmap(32, 32);
}

}  // namespace

CompletionPage::CompletionPage(UserNotifier& notifier, QWidget* parent)
    : QWidget(parent),
      notifier_(notifier),
      icon_(new QLabel(this)),
      text_(new QLabel(tr("成功！现在您可以直接播放或打开输出目录。"), this)),
      files_(new QTreeWidget(this)) {
    icon_->setObjectName(QStringLiteral("completionIcon"));
    icon_->setPixmap(IconFor(style(), VerificationSummary::Level::kNothing));
    icon_->setAlignment(Qt::AlignTop);
    text_->setObjectName(QStringLiteral("completionText"));
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    files_->setObjectName(QStringLiteral("completionFiles"));
    files_->setColumnCount(kColumnCount);
    files_->setHeaderLabels({tr("文件"), tr("校验结果")});
    files_->setRootIsDecorated(false);
    files_->setSelectionMode(QAbstractItemView::NoSelection);
    // The name gives way, never the result: the middle of a long name goes first, so its
    // folder and its file name both stay.
    files_->setTextElideMode(Qt::ElideMiddle);
    files_->header()->setStretchLastSection(false);
    files_->header()->setSectionResizeMode(kFileColumn, QHeaderView::Stretch);
    files_->header()->setSectionResizeMode(kResultColumn, QHeaderView::ResizeToContents);
    files_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As tall as its files (up to the scroll area's own limit), from four lines on: the
    // window grows to it when the job ends, and the list grows with the window.
    files_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    files_->setMinimumHeight(files_->fontMetrics().lineSpacing() * 4 + 2 * files_->frameWidth());
    files_->setHeaderHidden(true);
    files_->setColumnHidden(kResultColumn, true);

    auto* play = new QPushButton(tr("直接播放！(&P)"), this);
    auto* open = new QPushButton(tr("打开输出目录(&O)"), this);
    auto* top = new QHBoxLayout;
    top->addWidget(icon_);
    top->addWidget(text_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(play);
    buttons->addWidget(open);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(files_, 1);
    layout->addLayout(buttons);
    connect(play, &QPushButton::clicked, this, &CompletionPage::PlayFiles);
    connect(open, &QPushButton::clicked, this,
            [] { OpenWithDesktop(NormalizedFolder(TheSettings().OutputFolder)); });
}

void CompletionPage::ShowJob(const RipJob& job) {
    std::vector<const TrackVerification*> verifications;
    for (const RipJobItem& item : job.items) {
        if (item.outputPath.empty())
            continue;
        verifications.push_back(&item.verification);
        const std::string folder =
            item.outputFolder.empty() ? job.settings.OutputFolder : item.outputFolder;
        Add(item.outputPath, FileNameText(PathWithinFolder(item.outputPath, folder)),
            &item.verification, QString::fromStdString(VerificationText(item.verification)));
    }
    // The page asks for the room its rows need (sizeHint), once they are all in.
    files_->updateGeometry();
    const VerificationSummary summary = SummariseVerification(verifications);
    if (summary.level == VerificationSummary::Level::kNothing)
        return;
    icon_->setPixmap(IconFor(style(), summary.level));
    text_->setText(QString::fromStdString(summary.line) + QLatin1Char('\n') +
                   tr("现在您可以直接播放或打开输出目录。"));
    text_->setToolTip(QString::fromStdString(summary.details));
}

void CompletionPage::AddFile(const std::string& path, const std::string& result) {
    Add(path, FileNameText(path), nullptr, QString::fromStdString(result));
}

void CompletionPage::Add(const std::string& path, const QString& shown,
                         const TrackVerification* verification, const QString& result) {
    auto* item = new QTreeWidgetItem(files_);
    item->setText(kFileColumn, shown);
    item->setToolTip(kFileColumn, FileNameText(path));
    item->setData(kFileColumn, kPathRole, QByteArray::fromStdString(path));
    item->setText(kResultColumn, result);
    if (verification)
        item->setToolTip(kResultColumn,
                         QString::fromStdString(VerificationExplanation(*verification)));
    if (!result.isEmpty()) {
        files_->setHeaderHidden(false);
        files_->setColumnHidden(kResultColumn, false);
    }
}

QStringList CompletionPage::files() const {
    QStringList list;
    for (int i = 0; i < files_->topLevelItemCount(); ++i)
        list << files_->topLevelItem(i)->toolTip(kFileColumn);
    return list;
}

QStringList CompletionPage::results() const {
    QStringList list;
    for (int i = 0; i < files_->topLevelItemCount(); ++i)
        list << files_->topLevelItem(i)->text(kResultColumn);
    return list;
}

QSize CompletionPage::sizeHint() const {
    QSize hint = QWidget::sizeHint();
    // Each column as wide as its texts, the frame, room for a vertical scroll bar.
    const QAbstractItemView* view = files_;
    int columns = view->sizeHintForColumn(kFileColumn);
    if (!files_->isColumnHidden(kResultColumn))
        columns += view->sizeHintForColumn(kResultColumn);
    const QMargins margins = layout()->contentsMargins();
    const int wanted = columns + 2 * files_->frameWidth() +
                       files_->verticalScrollBar()->sizeHint().width() + margins.left() +
                       margins.right();
    hint.setWidth(std::max(hint.width(), wanted));
    return hint;
}

void CompletionPage::PlayFiles() {
    const Settings& s = TheSettings();
    const Mp3Player player = ResolveMp3Player(s.MP3Player, s.MP3PlayerParameters);
    if (player.program.empty()) {
        notifier_.ShowMessage(tr("没有找到默认的 MP3 播放器！").toStdString());
        return;
    }
    if (files_->topLevelItemCount() == 0) {
        notifier_.ShowMessage(tr("无播放条目！").toStdString());
        return;
    }
    for (int i = 0; i < files_->topLevelItemCount(); ++i) {
        const std::string file =
            files_->topLevelItem(i)->data(kFileColumn, kPathRole).toByteArray().toStdString();
        if (!RunDetached(PlayerCommand(player, file))) {
            notifier_.ShowMessage(tr("启动默认的 MP3 播放器 %1 失败。")
                                      .arg(QString::fromStdString(player.program))
                                      .toStdString());
            return;
        }
    }
}

}  // namespace korvida::gui
