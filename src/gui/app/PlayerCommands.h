#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace korvida {
class MasterVolume;
struct Message;
class UserNotifier;
}  // namespace korvida

class QWidget;

namespace korvida::gui {

class DiscController;
class PlayerBar;
class PlayerController;

// The CD player's part of the window: the player, its row of sliders under the list, the
// master volume, and the commands that start the desktop's programs (the default MP3
// player, the volume control).
class PlayerCommands : public QObject {
    Q_OBJECT

  public:
    struct Host {
        // A job owns the drive: the player leaves it alone.
        std::function<bool()> jobRunning;
        // The window's status line, which the player restores after a hint.
        std::function<QString()> statusLine;
    };
    PlayerCommands(DiscController& discs, UserNotifier& notifier, Host host, QWidget* window);
    ~PlayerCommands() override;

    PlayerController& player() const { return *player_; }
    // The row the window lays out under the list.
    PlayerBar* bar() const { return bar_; }

    // The default MP3 player on its own, without a file.
    void DefaultPlayer();
    void VolumeControl();
    // The slider row's and the volume set-up's messages (WM_POSITION_SLIDER,
    // WM_VOLUME_SETUP, WM_SET_VOLUME).
    void HandleMessage(const Message& message);

  private:
    void SetUpVolume();

    DiscController& discs_;
    UserNotifier& notifier_;
    PlayerController* player_;
    PlayerBar* bar_;
    std::unique_ptr<MasterVolume> volume_;
};

}  // namespace korvida::gui
