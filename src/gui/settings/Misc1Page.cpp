#include "gui/settings/Misc1Page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/text/FormatText.h"
#include "gui/settings/NumberEdit.h"
#include "gui/settings/OptionsPrompter.h"
#include "gui/settings/OptionsRules.h"

namespace korvida::gui {
namespace {

// A stored priority outside the list opens as normal.
constexpr int kPriorityShownWhenOutside = 2;

}  // namespace

Misc1Page::Misc1Page(OptionsPrompter& prompter, QWidget* parent)
    : OptionsPage(parent),
      prompter_(prompter),
      player_(new QLineEdit),
      browse_(ellipsisButton()),
      parameters_(new QLineEdit),
      priority_(new QComboBox),
      encoderThreads_(new NumberEdit) {
    priority_->addItems({tr("最低"), tr("低于常规"), tr("常规"), tr("高于常规"), tr("最高")});

    auto* playerRow = new QHBoxLayout;
    playerRow->addWidget(player_, 1);
    playerRow->addWidget(browse_);

    // The characters in the order of their settings ReplaceStr01..10; the last is the blank.
    static const char* const kCharacters[9] = {"*", ":", "?", "\"", "|", "/", "\\", "<", ">"};
    auto* replaceGroup = new QGroupBox(tr("文件名中的字符更换"));
    auto* grid = new QGridLayout(replaceGroup);
    for (int i = 0; i < 10; ++i) {
        auto* edit = new QLineEdit;
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMM")));
        auto* label = new QLabel(i == 9 ? tr("空格") : QString::fromUtf8(kCharacters[i]));
        label->setBuddy(edit);
        grid->addWidget(label, i % 5, (i / 5) * 2, Qt::AlignRight);
        grid->addWidget(edit, i % 5, (i / 5) * 2 + 1);
        bindText(edit, "Misc", FormatText("ReplaceStr%02d", i + 1).c_str());
    }
    grid->setColumnStretch(4, 1);

    // One form, so the two fields line up; the second says what it counts, so it is not
    // read as the first one's threads.
    auto* threadRows = new QFormLayout;
    priority_->setToolTip(tr("抓取和编码所用线程的优先级"));
    threadRows->addRow(tr("抓轨及编码线程:"), priority_);
    auto* threadsField = new QHBoxLayout;
    threadsField->addWidget(encoderThreads_);
    threadsField->addWidget(new QLabel(tr("(0 = 按处理器数目)")));
    threadsField->addStretch(1);
    threadRows->addRow(tr("同时编码的音轨数:"), threadsField);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("指定 MP3 播放器 (留空使用默认播放器):")));
    layout->addLayout(playerRow);
    layout->addWidget(new QLabel(tr("播放文件的参数:")));
    layout->addWidget(parameters_);
    layout->addWidget(replaceGroup);
    layout->addLayout(threadRows);
    layout->addStretch(1);

    bindText(player_, "Misc", "MP3Player");
    bindText(parameters_, "Misc", "MP3PlayerParameters");
    bindChoice(priority_, "Misc", "ThreadPriority", kPriorityShownWhenOutside);
    bindNumber(encoderThreads_, "Misc", "EncoderThreads", /*clampOnOpen=*/true);

    connect(browse_, &QPushButton::clicked, this, [this] {
        if (auto path = prompter_.chooseProgram(this, player_->text()))
            player_->setText(*path);
    });
}

std::optional<PageProblem> Misc1Page::commit(Settings& settings) {
    OptionsPage::commit(settings);
    settings.MP3Player = TrimTrailingWhiteSpace(settings.MP3Player);
    return std::nullopt;
}

}  // namespace korvida::gui
