#include "gui/settings/Misc2Page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings/SettingRules.h"
#include "gui/settings/OptionsPrompter.h"

namespace korvida::gui {

Misc2Page::Misc2Page(OptionsPrompter& prompter, QWidget* parent)
    : OptionsPage(parent), prompter_(prompter), temp_(new QLineEdit) {
    auto* browse = new QPushButton(tr("浏览(&B)..."));
    auto* autoLoad = new QCheckBox(tr("从 cdplayer.ini 自动载入 CD 信息"));
    auto* selectAll = new QCheckBox(tr("刷新 TOC 信息时自动选择全部音轨"));
    auto* openOutput = new QCheckBox(tr("抓轨完成后打开输出文件夹"));
    auto* replayGain = new QCheckBox(tr("为编码文件计算并写入 ReplayGain 标签"));
    auto* aspi = new QCheckBox(tr("强制使用 ASPI 管理器"));
    // Only one transport exists here: the box is hidden, its setting kept as stored.
    aspi->setVisible(false);

    auto* tempRow = new QHBoxLayout;
    tempRow->addWidget(temp_, 1);
    tempRow->addWidget(browse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("为临时 WAV 文件指定目录:")));
    layout->addLayout(tempRow);
    layout->addSpacing(8);
    for (QCheckBox* box : {autoLoad, selectAll, openOutput, replayGain, aspi})
        layout->addWidget(box);
    layout->addStretch(1);

    bindText(temp_, "Misc", "TEMPDIRECTORY");
    bindCheck(autoLoad, "Misc", "AutoLoadCDPlayerINI");
    bindCheck(selectAll, "Misc", "AutoSelectAll");
    bindCheck(openOutput, "Misc", "bOpenOutputFolder");
    bindCheck(replayGain, "Misc", "ReplayGain");
    bindCheck(aspi, "Misc", "bUseASPI");

    connect(browse, &QPushButton::clicked, this, [this] {
        if (auto folder = prompter_.chooseFolder(this, tr("当前选择:"), temp_->text()))
            temp_->setText(*folder);
    });
}

std::optional<PageProblem> Misc2Page::commit(Settings& settings) {
    const std::string previous = settings.TEMPDIRECTORY;
    OptionsPage::commit(settings);
    const TempFolderCommit folder = CommitTempFolder(settings.TEMPDIRECTORY, previous);
    settings.TEMPDIRECTORY = folder.folder;
    if (!folder.accepted)
        return PageProblem{QString::fromStdString(folder.message), temp_};
    return std::nullopt;
}

}  // namespace korvida::gui
