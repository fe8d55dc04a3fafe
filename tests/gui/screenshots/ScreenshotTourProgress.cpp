// The progress window in states a short demo rip passes too quickly to photograph, fed
// the messages a long rip sends: the completion page of a verified rip of twenty tracks.
#include <QTimer>
#include <memory>

#include "core/jobs/Messages.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/VerifiedRipJob.h"
#include "gui/app/MainWindow.h"
#include "gui/progress/JobLog.h"
#include "gui/progress/ProgressWindow.h"
#include "gui/screenshots/ScreenshotTour.h"

namespace korvida::gui {

void ScreenshotTour::LongRipPictures(Step then) {
    static JobLog log;
    static SilentNotifier silent;
    auto* progress = new ProgressWindow(20, JobMode::kRip, log, silent, &window_);
    std::shared_ptr<const korvida::RipJob> job = test::VerifiedRipJob(TheSettings().OutputFolder);
    progress->show();
    Pictures(progress,
             {{QStringLiteral("completion-verified"),
               [progress, job] {
                   progress->HandleMessage(
                       {WM_JOB_DONE, reinterpret_cast<std::intptr_t>(job.get()), 0, {}});
               }}},
             [progress, then] {
                 delete progress;
                 then();
             });
}

}  // namespace korvida::gui
