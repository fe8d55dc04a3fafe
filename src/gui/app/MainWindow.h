#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/jobs/MessageTarget.h"
#include "core/settings/Settings.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeView;

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

class DiscController;
class FileCommands;
class JobCommands;
class OptionsApplication;
class PlayerCommands;
class TrackCommands;

// The main window: builds the menus, the toolbar, the track list and the status row from
// the command table and routes each command to the part that does its work (the disc
// controller and the command classes).
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `drives` adds CD images (--image) and test drives to the drive table.
    explicit MainWindow(UserNotifier& notifier, DriveSources drives = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where workers and wizards send the main window's messages (status hints, rip
    // requests, edited titles, the current track, restore, job-log lines); handled on
    // the UI thread.
    MessageTarget& messageTarget() const { return *target_; }
    void HandleMessage(const Message& message);

  signals:
    // A disc load, started at start-up or by a command, has ended.
    void discReady();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildActions();
    void BindHandlers();
    void BuildMenus();
    void BuildCentre();
    void ApplyColors();
    void UpdateCommandStates();
    void SaveSettingsAtExit();
    void Bind(int id, std::function<void()> handler);
    void Trigger(int id);
    QAction* action(int id) const;
    void OpenMenu(int index);
    // A job's window is open or its worker runs: commands and the player wait.
    bool JobBusy() const;

    // The list's selection and the rows' highlight
    void ShowHighlight();
    void TakeHighlightFromView();
    void OnDiscLoaded(bool ok, unsigned totalSeconds);

    UserNotifier& notifier_;
    DiscController* discs_;
    JobCommands* jobCommands_ = nullptr;
    OptionsApplication* options_ = nullptr;
    PlayerCommands* player_ = nullptr;
    FileCommands* files_ = nullptr;
    TrackCommands* tracks_ = nullptr;
    // The settings as read at start: at exit only what differs from them is saved over
    // what another program (korvida-cli settings --set) may have stored meanwhile.
    Settings loadedSettings_;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    QMenu* menus_[4] = {};
    QMenu* context_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* demo_ = nullptr;
    std::unique_ptr<MessageTarget> target_;
};

}  // namespace korvida::gui
