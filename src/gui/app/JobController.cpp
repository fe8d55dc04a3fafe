#include "gui/app/JobController.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "core/jobs/Messages.h"
#include "core/rip/RipCommand.h"
#include "core/settings/Settings.h"
#include "gui/progress/LogLines.h"

namespace korvida::gui {

JobController::JobController(LogLines& log, UserNotifier& notifier, QObject* parent)
    : QObject(parent),
      log_(log),
      notifier_(notifier),
      target_(this, [this](const Message& m) { Handle(m); }) {}

JobController::~JobController() {
    if (!running())
        return;
    disconnect(this, nullptr, nullptr, nullptr);
    // The worker may be waiting in a send for this thread: keep answering until its
    // last message has been handled, then it has nothing left but to end.
    job_.SetPump([](std::uint32_t timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(timeoutMs));
    });
    job_.Stop();
}

void JobController::SetRipSource(CSCSIDriver* driver, const TrackList* rows, const DiscInfo* disc) {
    driver_ = driver;
    rows_ = rows;
    disc_ = disc;
}

void JobController::SetFileItems(const std::vector<std::string>& paths) {
    filePaths_ = paths;
}

void JobController::Start(int wParam, int lParam) {
    if (running())
        return;
    JobParties parties;
    parties.progressWindow = &target_;
    parties.mainWindow = &target_;
    if (wParam == 0) {
        if (!rows_ || !disc_)
            return;
        parties.driver = driver_;
        job_ = StartRip(*rows_, *disc_, parties, TheSettings(), notifier_);
    } else {
        auto job = std::make_unique<RipJob>();
        SetFileJobItems(*job, filePaths_);
        job_ =
            StartFileJob(std::move(job), static_cast<FileJobKind>(lParam), parties, TheSettings());
    }
    if (!running()) {
        // Nothing to do after all (the user has been told): the window shows the end.
        emit jobMessage(Message{WM_JOB_FAILED, 0, 0, {}});
        return;
    }
    emit runningChanged(true);
}

void JobController::Cancel() {
    job_.Cancel();
}

void JobController::Handle(const Message& message) {
    switch (message.id) {
        case WM_JOB_LOG:
            log_.append(QString::fromStdString(message.text));
            return;
        case WM_CURRENT_TRACK:
            emit currentTrack(static_cast<int>(message.wParam));
            return;
        case WM_JOB_DONE:
        case WM_JOB_FAILED:
            emit jobMessage(message);
            // The worker goes on once this send returns; join it when it has.
            QMetaObject::invokeMethod(this, &JobController::Reap, Qt::QueuedConnection);
            return;
        default:
            emit jobMessage(message);
    }
}

void JobController::Reap() {
    if (!running())
        return;
    job_.Wait();
    emit runningChanged(false);
}

}  // namespace korvida::gui
