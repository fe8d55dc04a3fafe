#include "gui/settings/MusicBrainzPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvida::gui {

MusicBrainzPage::MusicBrainzPage(QWidget* parent)
    : OptionsPage(parent),
      server_(new QLineEdit),
      coverArt_(new QCheckBox(tr("匹配后获取封面图片(&F)"))),
      coverServer_(new QLineEdit),
      coverFile_(new QCheckBox(tr("在专辑输出目录保存封面图片 (cover.jpg 或 cover.png)(&C)"))) {
    auto* serverForm = new QFormLayout;
    serverForm->addRow(tr("服务器(&S):"), server_);

    auto* coverGroup = new QGroupBox(tr("封面"));
    auto* coverForm = new QFormLayout(coverGroup);
    coverForm->addRow(coverArt_);
    auto* coverServerLabel = new QLabel(tr("封面服务器(&V):"));
    coverServerLabel->setBuddy(coverServer_);
    coverForm->addRow(coverServerLabel, coverServer_);
    coverForm->addRow(coverFile_);

    auto* proxyNote = new QLabel(tr("联网时使用 Freedb 页上设置的代理。"));
    proxyNote->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(serverForm);
    layout->addWidget(coverGroup);
    layout->addWidget(proxyNote);
    layout->addStretch(1);

    bindText(server_, "MusicBrainz", "Server");
    bindCheck(coverArt_, "MusicBrainz", "CoverArt");
    bindText(coverServer_, "MusicBrainz", "CoverArtServer");
    bindCheck(coverFile_, "MusicBrainz", "CoverFile");

    connect(coverArt_, &QCheckBox::toggled, this, &MusicBrainzPage::updateEnables);
}

// Without the fetch the cover server is not asked; a cover stored before still reaches
// cover.jpg, so that switch stays.
void MusicBrainzPage::updateEnables() {
    const bool fetch = coverArt_->isChecked();
    coverServer_->setEnabled(fetch);
    if (auto* form = qobject_cast<QFormLayout*>(coverServer_->parentWidget()->layout()))
        if (QWidget* label = form->labelForField(coverServer_))
            label->setEnabled(fetch);
}

}  // namespace korvida::gui
