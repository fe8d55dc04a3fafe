#include "gui/settings/OutputPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/settings/SettingRules.h"
#include "gui/settings/NumberEdit.h"
#include "gui/settings/OptionsPrompter.h"
#include "gui/settings/OptionsRules.h"

namespace korvida::gui {

OutputPage::OutputPage(OptionsPrompter& prompter, QWidget* parent)
    : OptionsPage(parent),
      prompter_(prompter),
      folder_(new QLineEdit(this)),
      browse_(ellipsisButton()),
      rule_(new QComboBox(this)),
      format_(new QComboBox(this)),
      normalize_(new QCheckBox(tr("规格化至"), this)),
      ratio_(new NumberEdit(this)) {
    rule_->setEditable(true);
    rule_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* rule :
         {"<title>", "<number>-<title>", "<number>-<artist>-<title>",
          "<number>-<artist>-<album>-<title>", "<artist>-<title>", "<artist>-<album>-<title>",
          "<artist>/<title>", "<artist>/<number>-<title>", "<artist>/<album>/<title>",
          "<artist>/<album>/<number>-<title>"})
        rule_->addItem(QString::fromUtf8(rule));
    format_->addItems({tr("MP3 文件 (*.MP3)"), tr("Wave 文件 (*.wav)"), tr("Ogg Vorbis (*.ogg)"),
                       tr("FLAC 文件 (*.flac)"), tr("Opus 文件 (*.opus)")});

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse_);
    auto* ratioRow = new QHBoxLayout;
    ratioRow->addWidget(normalize_);
    ratioRow->addWidget(ratio_);
    ratioRow->addWidget(new QLabel(QStringLiteral("%"), this));
    ratioRow->addStretch(1);

    auto* form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(tr("输出目录:"), folderRow);
    form->addRow(tr("命名规则:"), rule_);
    rule_->setToolTip(
        tr("<title> 标题、<number> 编号、<artist> 歌手、<album> 专辑、<year> 年份；"
           "<disc> 多碟套装中的碟号 (单张唱片时为空)。/ 分隔子目录。"));
    form->addRow(tr("输出格式:"), format_);
    form->addRow(ratioRow);

    bindText(folder_, "General", "OutputFolder");
    bindText(rule_, "Misc", "NamingRule");
    bindChoice(format_, "General", "OutputFormat");
    bindCheck(normalize_, "Misc", "Normalize");
    bindNumber(ratio_, "Misc", "NormalizeRatio", /*clampOnOpen=*/true);

    connect(browse_, &QPushButton::clicked, this, &OutputPage::browse);
}

void OutputPage::load(const Settings& settings) {
    OptionsPage::load(settings);
    folder_->setText(QString::fromStdString(FolderForDisplay(settings.OutputFolder)));
}

std::optional<PageProblem> OutputPage::commit(Settings& settings) {
    const NamingValidation v =
        ValidateNamingSettings(folder_->text().toStdString(), rule_->currentText().toStdString());
    if (!v.accepted)
        return PageProblem{QString::fromStdString(v.message),
                           v.ruleRefused ? static_cast<QWidget*>(rule_) : folder_};
    OptionsPage::commit(settings);
    settings.OutputFolder = v.folder;
    settings.NamingRule = v.rule;
    return std::nullopt;
}

void OutputPage::browse() {
    if (auto folder = prompter_.chooseFolder(this, tr("当前选择:"), folder_->text()))
        folder_->setText(*folder);
}

}  // namespace korvida::gui
