// The main window's CD player and master volume: the controller, the slider row, the
// volume set-up and the player's messages.
#include <QLabel>
#include <QSlider>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/jobs/Messages.h"
#include "core/platform/MasterVolume.h"
#include "core/platform/UserNotifier.h"
#include "core/platform/VolumeProgram.h"
#include "gui/app/DiscController.h"
#include "gui/app/JobController.h"
#include "gui/app/MainWindow.h"
#include "gui/player/PlayerBar.h"
#include "gui/player/PlayerController.h"

namespace korvida::gui {

void MainWindow::BuildPlayer() {
    PlayerController::Host host;
    // The drive takes no player command while a disc load or a job owns it: the driver
    // has no lock.
    host.driver = [this]() -> CSCSIDriver* {
        if (discs_->busy() || !discs_->hasDrive() || progress_ || (jobs_ && jobs_->running()))
            return nullptr;
        return discs_->driver();
    };
    host.statusLine = [this] { return status_->text(); };
    host.deviceText = [this] { return discs_->statusText(); };
    player_ =
        new PlayerController(discs_->rows(), discs_->disc(), notifier_, std::move(host), this);
    playerBar_ = new PlayerBar(this);
    playerBar_->Attach(*player_);
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(list_, 1);
    column->addWidget(playerBar_);
    setCentralWidget(centre);
    connect(player_, &PlayerController::statusChanged, status_, &QLabel::setText);
    // A disc load ends the play before its worker takes the drive (busyChanged comes
    // first, on this thread); the new disc then starts with an idle player.
    connect(discs_, &DiscController::busyChanged, player_, [this](bool busy) {
        if (!busy)
            return;
        if (player_->playingRow() >= 0 && discs_->driver() && discs_->hasDrive())
            discs_->driver()->Stop();
        player_->Reset();
    });
    SetUpVolume();
}

void MainWindow::SetUpVolume() {
    volume_ = std::make_unique<MasterVolume>(MasterVolume::OpenDefaultControl());
    volume_->EnableLine();
    playerBar_->SetUpVolume(*volume_);
}

QLabel* MainWindow::timeDisplay() const {
    return playerBar_->timeDisplay();
}

void MainWindow::VolumeControl() {
    if (!StartVolumeProgram())
        notifier_.ShowMessage(tr("未找到系统音量控制程序！").toStdString());
}

void MainWindow::HandlePlayerMessage(const Message& m) {
    switch (m.id) {
        case WM_POSITION_SLIDER:
            if (m.lParam == 1)
                player_->SeekDragging(static_cast<int>(m.wParam));
            else
                player_->SeekReleased(static_cast<int>(m.wParam));
            break;
        case WM_VOLUME_SETUP:
            SetUpVolume();
            discs_->storeDisc();
            discs_->refresh();
            break;
        case WM_SET_VOLUME:
            if (volume_->SetValue(static_cast<long>(m.wParam)) == 1)
                playerBar_->volumeSlider()->setValue(static_cast<int>(m.wParam));
            break;
        default:
            break;
    }
}

}  // namespace korvida::gui
