#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/jobs/JobCaptions.h"
#include "core/jobs/MessageTarget.h"

class QPushButton;
class QStackedWidget;
class QTimer;

namespace korvida {
class RipProgress;
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

class CompletionPage;
class ErrorPage;
class LogLines;
class ProgressPage;

// What a progress window runs; it decides the first page and the start message.
enum class JobMode {
    kRip,
    kEncodeMp3,
    kEncodeOgg,
    kDecodeMp3,
    kNormaliseWav,
    kEncodeFlac,
    kEncodeOpus,
    kDecodeFlac,
    kVerifyRip,  // a rip on disk read and checked: shown as a rip's reads are
};

// The window every long job runs behind. Once shown it asks for its job to be started
// (startJob), follows the worker's messages, and ends on the completion or the error
// page. Abort, the close box and Escape all ask for a cancel and close the window: a user
// who closes a window that works expects the work to stop.
class ProgressWindow : public QDialog {
    Q_OBJECT

  public:
    enum Page { kExtractPage, kEncodePage, kErrorPage, kCompletionPage };

    ProgressWindow(int total, JobMode mode, LogLines& log, UserNotifier& notifier,
                   QWidget* parent = nullptr);
    ~ProgressWindow() override;

    // A rip's tracks' lengths in frames, in job order, before it starts: they weigh the
    // time the rip still needs.
    void SetItemLengths(std::vector<std::uint32_t> frames);

    Page page() const;

  public slots:
    void HandleMessage(const korvida::Message& message);
    void reject() override;

  signals:
    // WM_START_JOB and WM_CANCEL_JOB, for the job controller.
    void startJob(int wParam, int lParam);
    void cancelJob();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowPage(Page page);
    void ShowJobTimes();
    void OpenLog();

    const int total_;
    const bool encodeMode_;
    JobCaptions captions_;
    int startLParam_;
    bool started_ = false;
    LogLines& log_;
    UserNotifier& notifier_;
    QStackedWidget* pages_;
    ProgressPage* extract_;
    ProgressPage* encode_;
    ErrorPage* error_;
    CompletionPage* completion_;
    QPushButton* button_;
    // Rips: what the window says of the whole rip, on the rip's own clock.
    std::unique_ptr<RipProgress> rip_;
    std::string readCaption_;
    QElapsedTimer clock_;
    QTimer* tick_;
};

}  // namespace korvida::gui
