#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "core/batch/BatchJobs.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipJobHandle.h"
#include "gui/app/QtMessageTarget.h"

namespace korvida {
class CSCSIDriver;
class TrackList;
class UserNotifier;
struct DiscInfo;
}  // namespace korvida

namespace korvida::gui {

class LogLines;

// Runs the core's jobs for the window: it answers the progress window's start and
// cancel requests, owns the job handle (record, worker thread, cancel event),
// and turns the worker's messages into signals on the UI thread. Job-log lines go to
// the log. The one place that knows how a job is started, so a change of the core's job
// interface stays here. Holds no widgets.
class JobController : public QObject {
    Q_OBJECT

  public:
    JobController(LogLines& log, UserNotifier& notifier, QObject* parent = nullptr);
    // Cancels a running job and waits for its thread.
    ~JobController() override;

    // What the next rip snapshots when it starts: the ticked rows of this list.
    void SetRipSource(CSCSIDriver* driver, const TrackList* rows, const DiscInfo* disc);
    // The next file job's items, one per path in this order; the previous batch's items
    // are gone from here on.
    void SetFileItems(const std::vector<std::string>& paths);

    // A worker thread exists: from the start of a job until its thread has ended, which
    // may be after the progress window closed on a cancel.
    bool running() const { return job_.started(); }

  public slots:
    // WM_START_JOB: wParam 0 starts the rip, 1 the file job of kind lParam.
    void Start(int wParam, int lParam);
    // WM_CANCEL_JOB.
    void Cancel();

  signals:
    // Progress, status and end-of-job messages for the progress window. The end messages
    // carry the job's address; it is valid only while the signal is being handled.
    void jobMessage(const korvida::Message& message);
    // WM_CURRENT_TRACK: the rip reads this track now.
    void currentTrack(int trackIndex);
    void runningChanged(bool running);

  private:
    void Handle(const Message& message);
    void Reap();

    LogLines& log_;
    UserNotifier& notifier_;
    QtMessageTarget target_;
    std::vector<std::string> filePaths_;  // the next file job's items
    CSCSIDriver* driver_ = nullptr;
    const TrackList* rows_ = nullptr;
    const DiscInfo* disc_ = nullptr;
    RipJobHandle job_;  // the record stays readable until the next job replaces it
};

}  // namespace korvida::gui
