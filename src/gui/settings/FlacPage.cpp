#include "gui/settings/FlacPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include "core/encode/FlacEncoder.h"

namespace korvida::gui {

FlacPage::FlacPage(QWidget* parent)
    : OptionsPage(parent), level_(new QSlider(Qt::Horizontal)), shown_(new QLabel) {
    level_->setObjectName(QStringLiteral("FLAC/Level"));
    level_->setRange(0, 8);
    level_->setPageStep(1);
    level_->setTickPosition(QSlider::TicksBelow);
    level_->setTickInterval(1);

    // Both ends say both things a level trades: time against size.
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel(tr("编码快，文件大")));
    sliderRow->addWidget(level_, 1);
    sliderRow->addWidget(new QLabel(tr("编码慢，文件小")));
    shown_->setBuddy(level_);

    auto* note =
        new QLabel(tr("FLAC 是无损格式: 解码后与抓取的 WAV 文件完全相同。级别越高，"
                      "文件越小，编码越慢；解码速度不受影响。每个文件编码后都经过校验。"));
    note->setWordWrap(true);
    auto* comments = new QLabel(tr("写入文件的标签项目与 Ogg Vorbis 页上所选的相同。"));
    comments->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shown_);
    layout->addLayout(sliderRow);
    layout->addWidget(note);
    layout->addWidget(comments);
    layout->addStretch(1);

    connect(level_, &QSlider::valueChanged, this,
            [this](int level) { shown_->setText(tr("压缩级别(&L): %1").arg(level)); });
}

// A slider is no field the table's binding kinds cover: its value is the position.
void FlacPage::load(const Settings& settings) {
    OptionsPage::load(settings);
    level_->setValue(static_cast<int>(FlacLevel(settings.FlacLevel)));
    shown_->setText(tr("压缩级别(&L): %1").arg(level_->value()));
}

std::optional<PageProblem> FlacPage::commit(Settings& settings) {
    OptionsPage::commit(settings);
    settings.FlacLevel = level_->value();
    return std::nullopt;
}

}  // namespace korvida::gui
