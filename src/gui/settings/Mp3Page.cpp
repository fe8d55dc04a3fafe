#include "gui/settings/Mp3Page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "gui/settings/Mp3AdvancedDialog.h"
#include "lame_enc/BladeEncInterface.h"

namespace korvida::gui {
namespace {

QComboBox* ListOf(QWidget* parent, const QStringList& entries) {
    auto* combo = new QComboBox(parent);
    combo->addItems(entries);
    return combo;
}

QStringList BitRates() {
    QStringList rates;
    for (const char* rate : {" 32 kbit/s", " 40 kbit/s", " 48 kbit/s", " 56 kbit/s", " 64 kbit/s",
                             " 80 kbit/s", " 96 kbit/s", "112 kbit/s", "128 kbit/s", "160 kbit/s",
                             "192 kbit/s", "224 kbit/s", "256 kbit/s", "320 kbit/s"})
        rates << QString::fromUtf8(rate);
    return rates;
}

// Where a stored minimum bit rate outside the list opens: 160 kbit/s.
constexpr int kBitRateShownWhenOutside = 9;

}  // namespace

Mp3Page::Mp3Page(const Settings& live, StoreAdvancedBits storeAdvanced, QWidget* parent)
    : OptionsPage(parent),
      live_(live),
      storeAdvanced_(std::move(storeAdvanced)),
      engine_(ListOf(this, {QString::fromUtf8(lame_enc::kModuleFileName)})),
      id3v1_(new QCheckBox(tr("启用 ID3V1(&E)"), this)),
      id3v2_(new QCheckBox(tr("启用 ID3V2"), this)),
      advanced_(new QPushButton(tr("高级(&A)..."), this)),
      vbr_(new QCheckBox(tr("启用 VBR(&V)"), this)),
      vbrHeader_(new QCheckBox(tr("写入 VBR 标头"), this)),
      minBitRate_(ListOf(this, BitRates())),
      maxBitRate_(ListOf(this, BitRates())),
      mpegQuality_(ListOf(this, {tr("一般品质"), tr("较低品质"), tr("较高品质"), tr("语音品质")})),
      vbrQuality_(ListOf(this, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                                QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9")})),
      stereoMode_(ListOf(this, {tr("立体声"), tr("混合立体声"), tr("双声道")})) {
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto labelled = [&](const QString& text, QWidget* field, int column) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
    };
    labelled(tr("编码引擎(&E):"), engine_, 0);
    advanced_->setObjectName(QStringLiteral("advancedButton"));
    grid->addWidget(advanced_, row++, 3);
    grid->addWidget(id3v1_, row, 0, 1, 2);
    grid->addWidget(id3v2_, row++, 2, 1, 2);
    grid->addWidget(vbr_, row, 0, 1, 2);
    grid->addWidget(vbrHeader_, row++, 2, 1, 2);
    labelled(tr("最小比特率(&B):"), minBitRate_, 0);
    labelled(tr("最大比特率(&M):"), maxBitRate_, 2);
    ++row;
    labelled(tr("MPEG 品质(&Q):"), mpegQuality_, 0);
    labelled(tr("VBR 品质(&R):"), vbrQuality_, 2);
    ++row;
    labelled(tr("立体声模式:"), stereoMode_, 0);
    grid->setRowStretch(++row, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    bindChoice(engine_, "MP3", "MP3Encoder");
    bindCheck(id3v1_, "MP3", "EnableID3");
    bindCheck(id3v2_, "MP3", "EnableID3V2");
    bindCheck(vbr_, "MP3", "EnableVBR");
    bindCheck(vbrHeader_, "MP3", "WriteVBRHeader");
    bindChoice(minBitRate_, "MP3", "BitRate", kBitRateShownWhenOutside);
    bindChoice(maxBitRate_, "MP3", "MaxBitRate");
    bindChoice(mpegQuality_, "MP3", "MPEGQuality");
    bindChoice(vbrQuality_, "MP3", "VBRQuality");
    bindChoice(stereoMode_, "MP3", "StereoMode");

    connect(vbr_, &QCheckBox::toggled, this, &Mp3Page::updateEnables);
    connect(engine_, &QComboBox::activated, this, &Mp3Page::updateEnables);
    connect(advanced_, &QPushButton::clicked, this, &Mp3Page::openAdvanced);
}

void Mp3Page::updateEnables() {
    const bool on = vbr_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(vbrHeader_), static_cast<QWidget*>(maxBitRate_),
                       static_cast<QWidget*>(mpegQuality_), static_cast<QWidget*>(vbrQuality_)})
        w->setEnabled(on);
}

void Mp3Page::openAdvanced() {
    Mp3AdvancedDialog dialog(live_.Copyright, live_.Original, live_.Private, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    storeAdvanced_(dialog.copyrightBox()->isChecked() ? 1 : 0,
                   dialog.originalBox()->isChecked() ? 1 : 0,
                   dialog.privateBox()->isChecked() ? 1 : 0);
}

}  // namespace korvida::gui
