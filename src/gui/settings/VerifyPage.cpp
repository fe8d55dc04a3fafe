#include "gui/settings/VerifyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/settings/NumberEdit.h"

namespace korvida::gui {

VerifyPage::VerifyPage(std::function<std::optional<int>(QWidget* over)> detectOffset,
                       QWidget* parent)
    : OptionsPage(parent),
      offset_(new NumberEdit),
      speed_(new NumberEdit),
      testAndCopy_(new QCheckBox(tr("抓取两次并比较 (测试与复制)(&C)"))),
      secureMode_(new QComboBox),
      secureRereads_(new NumberEdit),
      verify_(new QCheckBox(tr("抓取时计算校验和并与 AccurateRip 数据库比较(&V)"))),
      lookup_(new QCheckBox(tr("联网查询 AccurateRip 数据库(&L)"))),
      server_(new QLineEdit),
      writeLog_(new QCheckBox(tr("在输出文件夹中写入抓取日志和 CUE 文件(&W)"))),
      detectGaps_(new QCheckBox(tr("抓取前检测音轨间隙和索引(&G)"))),
      hiddenTrack_(new QCheckBox(tr("抓取第一条音轨之前的隐藏音轨(&H)"))),
      deEmphasis_(new QCheckBox(tr("对带预加重的音轨去加重(&D)"))),
      wholeDisc_(new QCheckBox(tr("整张光盘抓取为一个文件和 CUE 文件 (WAV 或 FLAC)(&I)"))) {
    offset_->setToolTip(tr("光驱的读取偏移，以采样计 (每帧 588 个采样)；0 表示不校正。"));
    testAndCopy_->setToolTip(tr("两次读取的 CRC32 不同时重新读取，始终不一致的音轨标为可疑。"));

    auto* readGroup = new QGroupBox(tr("读取"));
    auto* readForm = new QFormLayout(readGroup);
    if (detectOffset) {
        // A new user does not know the drive's offset: the disc in it can tell.
        auto* detect = new QPushButton(tr("检测..."));
        detect->setObjectName(QStringLiteral("detectOffsetButton"));
        detect->setToolTip(tr("用光驱中的光盘 (AccurateRip 数据库中有的) 检测光驱的读取偏移。"));
        auto* row = new QHBoxLayout;
        row->addWidget(offset_, 1);
        row->addWidget(detect);
        // Beside a row of two, the label needs its buddy named to show its accelerator.
        auto* label = new QLabel(tr("读取偏移(采样数)(&O):"));
        label->setBuddy(offset_);
        readForm->addRow(label, row);
        connect(detect, &QPushButton::clicked, this, [this, detectOffset] {
            if (const std::optional<int> offset = detectOffset(this))
                offset_->setValue(*offset);
        });
    } else {
        readForm->addRow(tr("读取偏移(采样数)(&O):"), offset_);
    }
    readForm->addRow(testAndCopy_);
    // Users slow a drive down to quieten it or to read a worn disc more gently.
    speed_->setToolTip(
        tr("抓取时光驱的读取速度，以倍速计 (1× = 176.4 kB/s)；0 表示光驱的最快速度。"));
    readForm->addRow(tr("读取速度(倍速，0 = 最快)(&P):"), speed_);
    // A scratched disc mostly reads wrong without an error: only reading again shows it.
    secureMode_->addItem(tr("关 (每个扇区读取一次)"));
    secureMode_->addItem(tr("比较 (每个扇区读取两次，不一致时重读)"));
    secureMode_->addItem(tr("C2 (由光驱的 C2 错误指针找出错误，再重读)"));
    secureMode_->setToolTip(
        tr("重读不一致的扇区，直到某个结果出现两次；始终不一致的扇区在日志中标为可疑位置。"));
    readForm->addRow(tr("安全读取(&E):"), secureMode_);
    secureRereads_->setToolTip(tr("一个扇区最多重读的次数 (2 - 100)。"));
    readForm->addRow(tr("最多重读次数(&R):"), secureRereads_);

    auto* databaseGroup = new QGroupBox(tr("AccurateRip"));
    auto* databaseForm = new QFormLayout(databaseGroup);
    databaseForm->addRow(verify_);
    databaseForm->addRow(lookup_);
    databaseForm->addRow(tr("服务器(&S):"), server_);
    databaseForm->addRow(writeLog_);

    // Gaps are read from the sub-channel before the rip; the hidden track is found by it.
    hiddenTrack_->setToolTip(tr("需要检测音轨间隙；隐藏音轨以 00 号音轨抓取。"));
    auto* discGroup = new QGroupBox(tr("光盘结构"));
    auto* discForm = new QFormLayout(discGroup);
    discForm->addRow(detectGaps_);
    discForm->addRow(hiddenTrack_);
    discForm->addRow(deEmphasis_);
    discForm->addRow(wholeDisc_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(readGroup);
    layout->addWidget(databaseGroup);
    layout->addWidget(discGroup);
    layout->addStretch(1);

    bindNumber(offset_, "CDROM", "ReadOffset");
    bindCheck(testAndCopy_, "CDROM", "TestAndCopy");
    bindNumber(speed_, "CDROM", "ReadSpeed");
    bindChoice(secureMode_, "CDROM", "SecureMode");
    bindNumber(secureRereads_, "CDROM", "SecureRereads");
    bindCheck(verify_, "AccurateRip", "Verify");
    bindCheck(lookup_, "AccurateRip", "Lookup");
    bindText(server_, "AccurateRip", "Server");
    bindCheck(writeLog_, "AccurateRip", "WriteLog");
    bindCheck(detectGaps_, "CDROM", "DetectGaps");
    bindCheck(hiddenTrack_, "CDROM", "HiddenTrack");
    bindCheck(deEmphasis_, "CDROM", "DeEmphasis");
    bindCheck(wholeDisc_, "Misc", "WholeDiscImage");
    connect(detectGaps_, &QCheckBox::toggled, this, &VerifyPage::updateEnables);

    connect(verify_, &QCheckBox::toggled, this, &VerifyPage::updateEnables);
    connect(lookup_, &QCheckBox::toggled, this, &VerifyPage::updateEnables);
    connect(secureMode_, &QComboBox::currentIndexChanged, this, &VerifyPage::updateEnables);
}

void VerifyPage::updateEnables() {
    const bool secure = secureMode_->currentIndex() > 0;
    secureRereads_->setEnabled(secure);
    if (auto* form = qobject_cast<QFormLayout*>(secureRereads_->parentWidget()->layout()))
        if (QWidget* label = form->labelForField(secureRereads_))
            label->setEnabled(secure);
    lookup_->setEnabled(verify_->isChecked());
    hiddenTrack_->setEnabled(detectGaps_->isChecked());
    const bool server = verify_->isChecked() && lookup_->isChecked();
    server_->setEnabled(server);
    if (auto* form = qobject_cast<QFormLayout*>(server_->parentWidget()->layout()))
        if (QWidget* label = form->labelForField(server_))
            label->setEnabled(server);
}

}  // namespace korvida::gui
