#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "core/batch/BatchJobs.h"
#include "core/cdrom/CSCSIDriverNative.h"
#include "core/jobs/MessageTarget.h"
#include "core/settings/AutoplayVerb.h"
#include "core/settings/Settings.h"
#include "gui/progress/JobLog.h"
#include "gui/progress/ProgressWindow.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QTreeView;

namespace korvida {
class MasterVolume;
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

class DiscController;
struct OptionsOutcome;
class JobController;
class PlayerBar;
class PlayerController;

// The main window: builds the menus, the toolbar, the track list and the status row from
// the command table and connects them; the work happens in the controllers and dialogs.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `drives` adds CD images (--image) and test drives to the drive table.
    explicit MainWindow(UserNotifier& notifier, DriveSources drives = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // The action of a command number (menus, toolbar and accelerators share it).
    QAction* action(int id) const;
    QMenu* menu(int index) const;  // 0 File … 3 Help
    QMenu* contextMenu() const { return context_; }
    QToolBar* toolBar() const { return toolBar_; }
    QTreeView* trackList() const { return list_; }
    QLabel* statusLine() const { return status_; }
    QLabel* timeDisplay() const;
    QPushButton* demoDiscButton() const { return demo_; }
    DiscController& discs() const { return *discs_; }
    JobController& jobs() const { return *jobs_; }
    PlayerController& player() const { return *player_; }
    PlayerBar* playerBar() const { return playerBar_; }
    JobLog& jobLog() { return log_; }
    // Where workers and wizards send the main window's messages (status hints, rip
    // requests, edited titles, the current track, restore, job-log lines); handled on
    // the UI thread.
    MessageTarget& messageTarget() const { return *target_; }
    void HandleMessage(const Message& message);
    // The progress window of the running job, if one is open.
    ProgressWindow* progressWindow() const { return progress_; }

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

    // Track list and highlight
    void ShowHighlight();
    void TakeHighlightFromView();
    void MoveRow(int move);
    void ChangeCase(int change);
    void OnDiscLoaded(bool ok, unsigned totalSeconds);

    // The CD player and the master volume (MainWindowPlayer.cpp)
    void BuildPlayer();
    void SetUpVolume();
    void HandlePlayerMessage(const Message& message);
    void VolumeControl();

    // Commands
    void TrackInformation();
    void DiscInformation();
    void CopyToClipboard();
    void Rip();
    void FileCommand(FileJobKind kind);
    void OpenProgress(int total, JobMode mode);
    void OpenImage();
    void DefaultPlayer();
    void Help();
    void About();
    void ViewLog();
    // Over `over` (a file dialog) or over the window.
    void OpenOptions(QWidget* over = nullptr);
    void ApplyOptions(const OptionsOutcome& outcome);
    void OpenMenu(int index);

    UserNotifier& notifier_;
    JobLog log_;
    DiscController* discs_;
    JobController* jobs_;
    AutoplayVerb autoplay_;
    // The settings as read at start: at exit only what differs from them is saved over
    // what another program (korvida-cli settings --set) may have stored meanwhile.
    Settings loadedSettings_;
    bool autoplaySaved_ = false;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    QMenu* menus_[4] = {};
    QMenu* context_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* status_ = nullptr;
    PlayerController* player_ = nullptr;
    PlayerBar* playerBar_ = nullptr;
    std::unique_ptr<MasterVolume> volume_;
    QPushButton* demo_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    std::unique_ptr<MessageTarget> target_;
};

}  // namespace korvida::gui
