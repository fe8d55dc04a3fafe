#pragma once

#include <QDialog>

#include "core/jobs/JobCaptions.h"
#include "core/jobs/MessageTarget.h"

class QPushButton;
class QStackedWidget;

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

class CompletionPage;
class ErrorPage;
class JobLog;
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
    kDecodeFlac
};

// The window every long job runs behind. Once shown it asks for its job to be started
// (startJob), follows the worker's messages, and ends on the completion or the error
// page. Abort, the close box and Escape all ask for a cancel and close the window: a user
// who closes a window that works expects the work to stop.
class ProgressWindow : public QDialog {
    Q_OBJECT

  public:
    enum Page { kExtractPage, kEncodePage, kErrorPage, kCompletionPage };

    ProgressWindow(int total, JobMode mode, JobLog& log, UserNotifier& notifier,
                   QWidget* parent = nullptr);

    Page page() const;
    ProgressPage* extractPage() const { return extract_; }
    ProgressPage* encodePage() const { return encode_; }
    CompletionPage* completionPage() const { return completion_; }
    QPushButton* button() const { return button_; }

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
    void GrowToFit();
    void OpenLog();

    const bool encodeMode_;
    JobCaptions captions_;
    int startLParam_;
    bool started_ = false;
    JobLog& log_;
    UserNotifier& notifier_;
    QStackedWidget* pages_;
    ProgressPage* extract_;
    ProgressPage* encode_;
    ErrorPage* error_;
    CompletionPage* completion_;
    QPushButton* button_;
};

}  // namespace korvida::gui
