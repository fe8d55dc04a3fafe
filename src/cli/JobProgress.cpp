#include "cli/JobProgress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>

#include "cli/CliContext.h"
#include "core/jobs/JobCaptions.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipStep.h"
#include "core/text/FormatText.h"

namespace korvida::cli {

ProgressBar::ProgressBar(bool quiet) : quiet_(quiet), terminal_(::isatty(STDERR_FILENO) == 1) {}

void ProgressBar::Caption(const std::string& caption) {
    caption_ = caption;
    step_.clear();
    perMille_ = -1;
    if (!terminal_ && !quiet_)
        std::cerr << caption_ << std::endl;
    Draw(0);
}

void ProgressBar::Progress(long perMille) {
    if (perMille / 10 != perMille_ / 10)
        Draw(perMille);
}

void ProgressBar::Step(const std::string& text) {
    step_ = text;
    Draw(std::max(perMille_, 0L));
}

void ProgressBar::Behind(const std::string& caption) {
    behind_ = caption;
    behindPerMille_ = 0;
    if (!terminal_ && !quiet_)
        std::cerr << behind_ << std::endl;
    Draw(std::max(perMille_, 0L));
}

void ProgressBar::BehindProgress(long perMille) {
    if (perMille / 10 == behindPerMille_ / 10)
        return;
    behindPerMille_ = perMille;
    Draw(std::max(perMille_, 0L));
}

void ProgressBar::Clear() {
    if (!quiet_ && drawn_) {
        std::cerr << "\r\033[K";
        drawn_ = false;
    }
}

void ProgressBar::Finish() {
    if (!quiet_ && drawn_)
        std::cerr << "\n";
    drawn_ = false;
}

void ProgressBar::Draw(long perMille) {
    perMille_ = perMille;
    if (quiet_ || !terminal_)
        return;
    constexpr long kWidth = 30;
    const long filled = std::clamp(perMille, 0L, 1000L) * kWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), ' ');
    char percent[32];
    std::snprintf(percent, sizeof percent, "%ld.%ld%%", perMille / 10, perMille % 10);
    std::cerr << "\r\033[K" << caption_ << " [" << bar << "] " << percent;
    if (!step_.empty())
        std::cerr << " " << step_;
    if (!behind_.empty()) {
        std::snprintf(percent, sizeof percent, "%ld.%ld%%", behindPerMille_ / 10,
                      behindPerMille_ % 10);
        std::cerr << " | " << behind_ << " " << percent;
    }
    std::cerr << std::flush;
    drawn_ = true;
}

void DispatchUntilEnded(MessageQueue& queue, const MessageQueue::Handler& handle,
                        const std::function<bool()>& ended, const std::function<bool()>& finished) {
    struct CloseOnReturn {
        MessageQueue& queue;
        ~CloseOnReturn() { queue.Close(); }
    } closeOnReturn{queue};
    queue.SetHandler(handle);
    while (!ended() && !finished())
        queue.Dispatch(handle, 50);
    // The worker's last messages came before it finished.
    while (!ended() && queue.Dispatch(handle, 0) > 0) {
    }
}

int PumpJobMessages(MessageQueue& queue, WorkerJob& job, int itemCount, bool quiet, bool encodeMode,
                    const std::function<void(const Message&)>& other, bool printOutputs,
                    const char* itemCaption) {
    ProgressBar bar(quiet);
    JobCaptions captions(itemCount, encodeMode, itemCaption);
    std::map<int, std::string> behind;  // the items being encoded behind a rip's reading
    int result = -1;
    const auto handle = [&](const Message& m) {
        if (const auto caption = captions.For(m)) {
            bar.Caption(*caption);
            return;
        }
        switch (m.id) {
            case WM_EXTRACT_PROGRESS:
            case WM_ENCODE_PROGRESS:
                bar.Progress(static_cast<long>(m.wParam));
                break;
            case WM_RIP_STEP: {
                const auto step = static_cast<RipStep>(m.wParam);
                if (step == RipStep::kDetectGaps)
                    bar.Caption(RipStepText(step, static_cast<int>(m.lParam)));
                else if (step == RipStep::kSecureReread)
                    bar.Step(RipStepText(step, static_cast<int>(m.lParam)));
                break;
            }
            case WM_ENCODE_BEHIND: {
                // One line follows the oldest item being encoded.
                const int item = static_cast<int>(m.wParam);
                behind[item] =
                    FormatText("正在编码 (%02d/%02d): ", item, static_cast<int>(m.lParam)) + m.text;
                if (behind.begin()->first == item)
                    bar.Behind(behind[item]);
                break;
            }
            case WM_ENCODE_BEHIND_PROGRESS: {
                const auto item = behind.find(static_cast<int>(m.lParam));
                if (item == behind.end())
                    break;
                const bool shown = item == behind.begin();
                if (shown)
                    bar.BehindProgress(static_cast<long>(m.wParam));
                if (m.wParam < 1000)
                    break;
                behind.erase(item);
                // The last item's line stays until the job ends.
                if (shown && !behind.empty())
                    bar.Behind(behind.begin()->second);
                break;
            }
            case WM_JOB_LOG:
                bar.Clear();
                std::cerr << m.text << std::endl;
                break;
            case WM_JOB_DONE: {
                bar.Finish();
                // The worker waits in its send, so the job is still there to read.
                const auto* ended = reinterpret_cast<const RipJob*>(m.wParam);
                // A whole-disc image is every item's file: it is named once.
                std::string last;
                for (const RipJobItem& item : ended->items)
                    if (printOutputs && !item.outputPath.empty() && item.outputPath != last)
                        std::cout << (last = item.outputPath) << "\n";
                if (!ended->cueSheetPath.empty())
                    std::cout << ended->cueSheetPath << "\n";
                if (!ended->ripLogPath.empty())
                    std::cout << ended->ripLogPath << "\n";
                std::cout.flush();
                result = kExitOk;
                break;
            }
            case WM_JOB_FAILED: {
                bar.Finish();
                // The log of a failed rip says how far it came: scripts find it here.
                const auto* ended = reinterpret_cast<const RipJob*>(m.wParam);
                if (ended && !ended->ripLogPath.empty())
                    std::cout << ended->ripLogPath << std::endl;
                result = kExitFailed;
                break;
            }
            default:
                if (other)
                    other(m);
                break;
        }
    };
    DispatchUntilEnded(
        queue, handle, [&] { return result >= 0; }, [&] { return job.finished(); });
    if (result < 0) {
        bar.Finish();
        PrintError("the job ended without reporting its end");
        result = kExitFailed;
    }
    return result;
}

}  // namespace korvida::cli
