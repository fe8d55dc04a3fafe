#include "gui/settings/Mp3AdvancedDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvida::gui {

Mp3AdvancedDialog::Mp3AdvancedDialog(int copyright, int original, int privateBit, QWidget* parent)
    : QDialog(parent),
      copyright_(new QCheckBox(tr("设置版权位(&C)"), this)),
      original_(new QCheckBox(tr("设置原创位(&R)"), this)),
      private_(new QCheckBox(tr("设置私密位(&P)"), this)) {
    setWindowTitle(tr("高级"));
    copyright_->setChecked(copyright != 0);
    original_->setChecked(original != 0);
    private_->setChecked(privateBit != 0);

    auto* ok = new QPushButton(tr("确定"), this);
    auto* cancel = new QPushButton(tr("取消"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(copyright_);
    layout->addWidget(original_);
    layout->addWidget(private_);
    layout->addLayout(buttons);
}

}  // namespace korvida::gui
