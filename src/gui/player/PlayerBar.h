#pragma once

#include <QWidget>

class QLabel;
class QSlider;

namespace korvida {
class MasterVolume;
}

namespace korvida::gui {

class PlayerController;

// The player's row under the track list: the volume slider (short, on the left), the
// position slider (the rest) and the time display. Shows what the player says and
// hands the user's slider moves on; it decides nothing.
class PlayerBar : public QWidget {
    Q_OBJECT

  public:
    explicit PlayerBar(QWidget* parent = nullptr);

    // Follows `player`'s display and reports position slider moves to it.
    void Attach(PlayerController& player);
    // Range and position from the master volume; 0..0 and inert when it is unavailable.
    // User moves of the volume slider set the volume.
    void SetUpVolume(MasterVolume& volume);

    QSlider* volumeSlider() const { return volumeSlider_; }
    QLabel* timeDisplay() const { return time_; }

  private:
    QSlider* volumeSlider_;
    QSlider* position_;
    QLabel* time_;
    MasterVolume* volume_ = nullptr;
};

}  // namespace korvida::gui
