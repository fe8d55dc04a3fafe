#include "gui/player/PlayerBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include "core/platform/MasterVolume.h"
#include "gui/player/PlayerController.h"

namespace korvida::gui {

PlayerBar::PlayerBar(QWidget* parent)
    : QWidget(parent),
      volumeSlider_(new QSlider(Qt::Horizontal, this)),
      position_(new QSlider(Qt::Horizontal, this)),
      time_(new QLabel(PlayTimeText(0), this)) {
    volumeSlider_->setObjectName(QStringLiteral("volumeSlider"));
    position_->setObjectName(QStringLiteral("positionSlider"));
    time_->setObjectName(QStringLiteral("timeDisplay"));
    volumeSlider_->setFixedWidth(115);
    volumeSlider_->setRange(0, 0);
    position_->setRange(0, 0);
    position_->setToolTip(tr("播放位置"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(new QLabel(tr("音量"), this));
    layout->addWidget(volumeSlider_);
    layout->addSpacing(12);
    layout->addWidget(position_, 1);
    layout->addWidget(time_);

    connect(volumeSlider_, &QAbstractSlider::actionTriggered, this, [this] {
        // The volume object refuses values outside its range, and everything when there
        // is no card.
        if (volume_)
            volume_->SetValue(volumeSlider_->sliderPosition());
    });
}

void PlayerBar::Attach(PlayerController& player) {
    connect(&player, &PlayerController::timeChanged, time_, &QLabel::setText);
    connect(&player, &PlayerController::rangeChanged, position_,
            [this](int maximum) { position_->setRange(0, maximum); });
    // The timer's updates must not pull the knob from under a dragging user.
    connect(&player, &PlayerController::positionChanged, position_, [this](int seconds) {
        if (!position_->isSliderDown())
            position_->setValue(seconds);
    });
    connect(position_, &QAbstractSlider::sliderMoved, &player, &PlayerController::SeekDragging);
    connect(position_, &QAbstractSlider::sliderReleased, &player,
            [this, &player] { player.SeekReleased(position_->value()); });
    // Keys, clicks on the groove and the wheel move the knob without a drag: each is a
    // seek of its own. A drag's moves arrive as sliderMoved above.
    connect(position_, &QAbstractSlider::actionTriggered, &player, [this, &player](int action) {
        if (action == QAbstractSlider::SliderNoAction ||
            (action == QAbstractSlider::SliderMove && position_->isSliderDown()))
            return;
        player.SeekReleased(position_->sliderPosition());
    });
}

void PlayerBar::SetUpVolume(MasterVolume& volume) {
    volume_ = &volume;
    if (volume.IsAvailable()) {
        volumeSlider_->setRange(static_cast<int>(volume.Minimum()),
                                static_cast<int>(volume.Maximum()));
        volumeSlider_->setValue(static_cast<int>(volume.CurrentValue()));
        volumeSlider_->setToolTip(tr("主音量"));
    } else {
        volumeSlider_->setRange(0, 0);
        volumeSlider_->setValue(0);
        volumeSlider_->setToolTip(tr("没有找到声卡的主音量控制"));
    }
    volumeSlider_->setEnabled(volume.IsAvailable());
}

}  // namespace korvida::gui
