// The progress window in states a short demo rip passes too quickly to photograph, fed
// the messages a long rip sends: a rip of twenty tracks while the reader is ahead of two
// encoders, once its reading is done, and its completion page with verified results.
#include <QTimer>
#include <memory>
#include <vector>

#include "core/jobs/Messages.h"
#include "core/platform/UserNotifier.h"
#include "core/rip/RipStep.h"
#include "core/settings/Settings.h"
#include "gui/VerifiedRipJob.h"
#include "gui/app/MainWindow.h"
#include "gui/progress/LogLines.h"
#include "gui/progress/ProgressWindow.h"
#include "gui/screenshots/ScreenshotTour.h"

namespace korvida::gui {

void ScreenshotTour::LongRipPictures(Step then) {
    static LogLines log;
    static SilentNotifier silent;
    auto* progress = new ProgressWindow(20, JobMode::kRip, log, silent, &window_);
    std::shared_ptr<const korvida::RipJob> job = test::VerifiedRipJob(TheSettings().OutputFolder);
    std::vector<std::uint32_t> lengths;
    for (int n = 1; n <= 20; ++n)
        lengths.push_back(static_cast<std::uint32_t>(12000 + n % 5 * 3000));
    progress->SetItemLengths(lengths);
    progress->show();
    auto feed = [progress](const std::vector<Message>& messages) {
        for (const Message& m : messages)
            progress->HandleMessage(m);
    };
    // Nineteen tracks read, fourteen encoded, two encoders at work on the next two.
    std::vector<Message> ahead;
    for (int n = 1; n <= 19; ++n) {
        ahead.push_back({WM_ITEM_STATUS, 0, 0, job->items[static_cast<std::size_t>(n - 1)].name});
        ahead.push_back({WM_EXTRACT_PROGRESS, n < 19 ? 1000 : 453, 41000, {}});
        if (n <= 16)
            ahead.push_back(
                {WM_ENCODE_BEHIND, n, 20, job->items[static_cast<std::size_t>(n - 1)].name});
        if (n <= 14)
            ahead.push_back({WM_ENCODE_BEHIND_PROGRESS, 1000, n, {}});
    }
    ahead.push_back({WM_ENCODE_BEHIND_PROGRESS, 612, 15, {}});
    ahead.push_back({WM_ENCODE_BEHIND_PROGRESS, 187, 16, {}});
    std::vector<Message> done = {{WM_ITEM_STATUS, 0, 0, job->items[19].name},
                                 {WM_EXTRACT_PROGRESS, 1000, 43000, {}},
                                 {WM_RIP_STEP, static_cast<int>(RipStep::kReadingDone), 0, {}},
                                 {WM_ENCODE_BEHIND_PROGRESS, 1000, 15, {}},
                                 {WM_ENCODE_BEHIND, 17, 20, job->items[16].name},
                                 {WM_ENCODE_BEHIND_PROGRESS, 420, 16, {}},
                                 {WM_ENCODE_BEHIND_PROGRESS, 95, 17, {}}};
    Pictures(progress,
             {{QStringLiteral("progress-reader-ahead"), [feed, ahead] { feed(ahead); }},
              {QStringLiteral("progress-reading-done"), [feed, done] { feed(done); }},
              {QStringLiteral("completion-verified"),
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
