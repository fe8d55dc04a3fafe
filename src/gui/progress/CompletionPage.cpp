#include "gui/progress/CompletionPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/platform/DefaultMp3Player.h"
#include "core/platform/RunDetached.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/widgets/FileNameBytes.h"

namespace korvida::gui {

CompletionPage::CompletionPage(UserNotifier& notifier, QWidget* parent)
    : QWidget(parent), notifier_(notifier), files_(new QListWidget(this)) {
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    auto* text = new QLabel(tr("成功！现在您可以直接播放或打开输出目录。"), this);
    text->setWordWrap(true);
    // As tall as its files, from four lines on: the other pages of the window need no more.
    files_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    files_->setMinimumHeight(files_->fontMetrics().lineSpacing() * 4 + 2 * files_->frameWidth());
    auto* play = new QPushButton(tr("直接播放！(&P)"), this);
    auto* open = new QPushButton(tr("打开输出目录(&O)"), this);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);
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

namespace {
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kResultRole = Qt::UserRole + 2;
}  // namespace

void CompletionPage::AddFile(const std::string& path, const std::string& result) {
    const QString name = FileNameText(path);
    const QString verdict = QString::fromStdString(result);
    auto* item = new QListWidgetItem(
        verdict.isEmpty() ? name : name + QStringLiteral("    ") + verdict, files_);
    item->setData(Qt::UserRole, QByteArray::fromStdString(path));
    item->setData(kNameRole, name);
    item->setData(kResultRole, verdict);
}

QStringList CompletionPage::files() const {
    QStringList list;
    for (int i = 0; i < files_->count(); ++i)
        list << files_->item(i)->data(kNameRole).toString();
    return list;
}

QStringList CompletionPage::results() const {
    QStringList list;
    for (int i = 0; i < files_->count(); ++i)
        list << files_->item(i)->data(kResultRole).toString();
    return list;
}

void CompletionPage::PlayFiles() {
    const Settings& s = TheSettings();
    const Mp3Player player = ResolveMp3Player(s.MP3Player, s.MP3PlayerParameters);
    if (player.program.empty()) {
        notifier_.ShowMessage(tr("没有找到默认的 MP3 播放器！").toStdString());
        return;
    }
    if (files_->count() == 0) {
        notifier_.ShowMessage(tr("无播放条目！").toStdString());
        return;
    }
    for (int i = 0; i < files_->count(); ++i) {
        const std::string file = files_->item(i)->data(Qt::UserRole).toByteArray().toStdString();
        if (!RunDetached(PlayerCommand(player, file))) {
            notifier_.ShowMessage(tr("启动默认的 MP3 播放器 %1 失败。")
                                      .arg(QString::fromStdString(player.program))
                                      .toStdString());
            return;
        }
    }
}

}  // namespace korvida::gui
