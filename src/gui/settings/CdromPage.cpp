#include "gui/settings/CdromPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include "core/cdrom/Cdb.h"
#include "gui/settings/NumberEdit.h"

namespace korvida::gui {

CdromPage::CdromPage(const std::vector<std::string>& driveNames, QWidget* parent)
    : OptionsPage(parent),
      drive_(new QComboBox),
      type_(new QComboBox),
      deleteSilence_(new QCheckBox(tr("自动删除静音(&D)"))),
      leading_(new NumberEdit),
      trailing_(new NumberEdit),
      disableAutoPlay_(new QCheckBox(tr("禁止自动播放 CD (&A)"))),
      skipError_(new QCheckBox(tr("出现错误扇区时仍然继续抓取"))),
      retries_(new NumberEdit),
      buffer_(new NumberEdit),
      digitalPlayback_(new QCheckBox(tr("播放时读取音频数据并从声卡输出(&P)"))) {
    for (const std::string& name : driveNames)
        drive_->addItem(QString::fromStdString(name));
    for (int type = 0; type < kDeviceTypeCount; ++type)
        type_->addItem(QString::fromUtf8(DeviceTypeName(type)));

    // Rows in tab order; each label's mnemonic moves to its field.
    auto* form = new QFormLayout(this);
    form->addRow(tr("部件(&U):"), drive_);
    form->addRow(tr("类型(&T):"), type_);
    form->addRow(deleteSilence_);
    form->addRow(tr("开始静音帧数(&L):"), leading_);
    form->addRow(tr("后续静音帧数(&T):"), trailing_);
    form->addRow(disableAutoPlay_);
    form->addRow(skipError_);
    form->addRow(tr("发生错误时重试次数(&R):"), retries_);
    form->addRow(tr("读取时缓冲大小(帧数)(&B):"), buffer_);
    // Many drives have no analogue output cable: playing then reads the audio and sends
    // it to the sound card.
    digitalPlayback_->setToolTip(tr("光驱没有连接到声卡的音频线时，选中此项才能听到 CD。"));
    form->addRow(digitalPlayback_);

    bindChoice(drive_, "CDROM", "CDROMDriver");
    bindChoice(type_, "CDROM", "DeviceType");
    bindCheck(deleteSilence_, "CDROM", "DeleteSilence");
    bindNumber(leading_, "CDROM", "LeadingFrame");
    bindNumber(trailing_, "CDROM", "TrailingFrame");
    bindCheck(disableAutoPlay_, "CDROM", "DisableAutoPlay");
    bindCheck(skipError_, "Misc", "BoolSkipError");
    bindNumber(retries_, "CDROM", "RetryTimes");
    bindNumber(buffer_, "CDROM", "BufferSize");
    bindCheck(digitalPlayback_, "CDROM", "DigitalPlayback");

    connect(deleteSilence_, &QCheckBox::toggled, this, &CdromPage::updateEnables);
}

void CdromPage::updateEnables() {
    leading_->setEnabled(deleteSilence_->isChecked());
    trailing_->setEnabled(deleteSilence_->isChecked());
}

}  // namespace korvida::gui
