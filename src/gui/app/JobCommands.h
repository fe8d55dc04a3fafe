#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "core/batch/BatchJobs.h"
#include "core/platform/UserNotifier.h"
#include "gui/app/DiscController.h"
#include "gui/progress/ProgressWindow.h"

namespace korvida::gui {

class JobController;
class LogLines;

// The commands that run a job behind the progress window: the rip, the batch file
// commands (each with its file dialog), the check of a rip on disk and the job log. Owns the job
// runner and the log, and knows whether a job holds the window.
class JobCommands : public QObject {
    Q_OBJECT

  public:
    struct Host {
        // The batch file dialogs' "选项..." button: the sheet opens over the dialog.
        std::function<void(QWidget* over)> openOptions;
        // The rip is about to take the drive (the player lets go of it).
        std::function<void()> beforeRip;
    };
    JobCommands(DiscController& discs, UserNotifier& notifier, Host host, QWidget* window);
    // Closes the progress window, then cancels a job still running and waits for its
    // thread.
    ~JobCommands() override;

    JobController& jobs() const { return *jobs_; }
    LogLines& log() const { return *log_; }
    // A job's window is open or its worker still runs: the main window takes no commands.
    bool busy() const;

    void Rip();
    void FileCommand(FileJobKind kind);
    // "校验已抓取的文件...": a cue sheet, a rip log, or a track file standing for its folder.
    void VerifyRip();
    void ViewLog();

  signals:
    // busy() may have changed.
    void busyChanged();

  private:
    // lengths: a rip's tracks' lengths in frames, in job order.
    void OpenProgress(int total, JobMode mode, std::vector<std::uint32_t> lengths = {});

    DiscController& discs_;
    UserNotifier& notifier_;
    Host host_;
    QWidget* window_;
    LogLines* log_;
    JobController* jobs_;
    ProgressWindow* progress_ = nullptr;
};

}  // namespace korvida::gui
