#include "gui/app/PlayerCommands.h"

#include <QSlider>
#include <QWidget>
#include <utility>

#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/DefaultMp3Player.h"
#include "core/platform/MasterVolume.h"
#include "core/platform/RunDetached.h"
#include "core/platform/UserNotifier.h"
#include "core/platform/VolumeProgram.h"
#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/player/PlayerBar.h"
#include "gui/player/PlayerController.h"

namespace korvida::gui {

PlayerCommands::PlayerCommands(DiscController& discs, UserNotifier& notifier, Host host,
                               QWidget* window)
    : QObject(window), discs_(discs), notifier_(notifier) {
    PlayerController::Host player;
    // The drive takes no player command while a disc load or a job owns it: the driver
    // has no lock.
    player.driver = [this, jobRunning = host.jobRunning]() -> CSCSIDriver* {
        if (discs_.busy() || !discs_.hasDrive() || jobRunning())
            return nullptr;
        return discs_.driver();
    };
    player.statusLine = std::move(host.statusLine);
    player.deviceText = [this] { return discs_.statusText(); };
    player_ =
        new PlayerController(discs_.rows(), discs_.disc(), notifier_, std::move(player), this);
    bar_ = new PlayerBar(window);
    bar_->Attach(*player_);
    // A disc load ends the play before its worker takes the drive (busyChanged comes
    // first, on this thread); the new disc then starts with an idle player.
    connect(&discs_, &DiscController::busyChanged, player_, [this](bool busy) {
        if (!busy)
            return;
        if (player_->playingRow() >= 0 && discs_.driver() && discs_.hasDrive())
            discs_.driver()->Stop();
        player_->Reset();
    });
    SetUpVolume();
}

PlayerCommands::~PlayerCommands() = default;

void PlayerCommands::SetUpVolume() {
    volume_ = std::make_unique<MasterVolume>(MasterVolume::OpenDefaultControl());
    volume_->EnableLine();
    bar_->SetUpVolume(*volume_);
}

void PlayerCommands::DefaultPlayer() {
    const Mp3Player player = ResolveMp3Player(TheSettings().MP3Player, {});
    if (player.program.empty()) {
        notifier_.ShowMessage(
            tr("没有找到默认的 MP3 播放器！\n请从“编辑 -> 选项”菜单中指定您的 MP3 "
               "播放器的位置。")
                .toStdString());
        return;
    }
    if (!RunDetached(PlayerCommand(player, {})))  // the player alone, without a file
        notifier_.ShowMessage(
            tr("无法启动默认的 MP3 播放器:\n %1\n请从“编辑 -> 选项”菜单中指定您的 "
               "MP3 播放器的位置。")
                .arg(QString::fromStdString(player.program))
                .toStdString());
}

void PlayerCommands::VolumeControl() {
    if (!StartVolumeProgram())
        notifier_.ShowMessage(tr("未找到系统音量控制程序！").toStdString());
}

void PlayerCommands::HandleMessage(const Message& m) {
    switch (m.id) {
        case WM_POSITION_SLIDER:
            if (m.lParam == 1)
                player_->SeekDragging(static_cast<int>(m.wParam));
            else
                player_->SeekReleased(static_cast<int>(m.wParam));
            break;
        case WM_VOLUME_SETUP:
            SetUpVolume();
            discs_.storeDisc();
            discs_.refresh();
            break;
        case WM_SET_VOLUME:
            if (volume_->SetValue(static_cast<long>(m.wParam)) == 1)
                bar_->volumeSlider()->setValue(static_cast<int>(m.wParam));
            break;
        default:
            break;
    }
}

}  // namespace korvida::gui
