// korvida-cli encode, decode and normalize: the file jobs of the File menu over files named on the
// command line, with the progress window's captions drawn as a one-line bar on standard
// error and the output paths on standard output.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/pipeline/BatchJobs.h"
#include "core/pipeline/EncoderLibrary.h"
#include "core/pipeline/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida::cli {
namespace {

// Set by the SIGINT handler, which may do nothing else; the message loop turns it into
// the cancel event within one dispatch timeout.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnBatchInterrupt(int) {
    interrupted.store(true, std::memory_order_relaxed);
}

struct BatchArgs {
    std::string output;
    bool hasOutput = false;
    std::string format;  // encode: mp3 or ogg
    std::vector<std::string> files;
};

bool ParseBatchArgs(const std::vector<std::string>& args, BatchArgs& parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            parsed.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--output" && i + 1 < args.size()) {
            parsed.output = args[++i];
            parsed.hasOutput = true;
        } else if (arg == "--format" && i + 1 < args.size()) {
            parsed.format = args[++i];
        } else {
            PrintError("unknown option " + arg);
            return false;
        }
    }
    if (parsed.files.empty())
        PrintError("no files given");
    return !parsed.files.empty();
}

// The progress window's title and bar, on one line of standard error.
class ProgressLine {
  public:
    ProgressLine(int total, bool quiet) : total_(total), quiet_(quiet) {}

    void Caption(const char* format, int n, const std::string& name) {
        char text[64];
        std::snprintf(text, sizeof text, format, n, total_);
        caption_ = text + name;
        Draw(0);
    }
    void Progress(long perMille) {
        if (perMille / 10 != perMille_ / 10)
            Draw(perMille);
    }
    // Clears the bar so that a log line starts on a clean line.
    void Clear() {
        if (drawn_)
            std::cerr << "\r\033[K";
        drawn_ = false;
    }
    void Finish() {
        if (drawn_)
            std::cerr << "\n";
        drawn_ = false;
    }

  private:
    void Draw(long perMille) {
        perMille_ = perMille;
        if (quiet_)
            return;
        constexpr long kWidth = 30;
        const long filled = std::clamp(perMille, 0L, 1000L) * kWidth / 1000;
        char percent[32];
        std::snprintf(percent, sizeof percent, "%ld.%ld%%", perMille / 10, perMille % 10);
        std::cerr << "\r\033[K" << caption_ << " [" << std::string(std::size_t(filled), '#')
                  << std::string(std::size_t(kWidth - filled), ' ') << "] " << percent
                  << std::flush;
        drawn_ = true;
    }

    int total_;
    bool quiet_;
    std::string caption_;
    long perMille_ = -1;
    bool drawn_ = false;
};

int RunFileJob(CliContext& context, FileJobKind kind, const BatchArgs& args) {
    if (!LoadSettingsForRun())
        return kExitFailed;
    // Options change the settings for this run only; nothing is saved.
    Settings& settings = TheSettings();
    if (args.hasOutput)
        settings.OutputFolder = NormalizedFolder(args.output);
    StderrNotifier notifier;
    if (kind == FileJobKind::kEncodeMp3)
        BindEncoderAtStartUp(settings.MP3Encoder, notifier);

    MessageQueue queue;
    Event cancel(false);
    RipJob job;
    job.cancelEvent = &cancel;
    job.mainWindow = &queue;
    SetFileJobItems(job, args.files);

    // A second Ctrl+C ends the program at once (SA_RESETHAND).
    struct sigaction action {};
    action.sa_handler = OnBatchInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);

    std::thread worker = StartFileJob(job, kind, &queue, settings);

    // The captions of the progress window: decode jobs run in its encoding mode,
    // normalise jobs in its extraction mode.
    const bool encodeMode = kind != FileJobKind::kNormaliseWav;
    ProgressLine bar(static_cast<int>(job.items.size()), context.quiet);
    int counter = 0;
    int result = -1;
    const auto handle = [&](const Message& m) {
        switch (m.id) {
            case WM_ITEM_STATUS:
                if (m.wParam == 0)
                    bar.Caption(encodeMode ? "正在编码 (%02d/%02d): " : "正在抓取 (%02d/%02d): ",
                                ++counter, m.text);
                else
                    bar.Caption("正在规格化(%02d/%02d): ", counter, m.text);
                break;
            case WM_DECODE_STATUS:
                bar.Caption("正在解码(%02d/%02d): ", counter, m.text);
                break;
            case WM_ENCODE_STATUS:
                bar.Caption("正在编码 (%02d/%02d): ", counter, m.text);
                break;
            case WM_EXTRACT_PROGRESS:
            case WM_ENCODE_PROGRESS:
                bar.Progress(static_cast<long>(m.wParam));
                break;
            case WM_JOB_LOG:
                bar.Clear();
                std::cerr << m.text << std::endl;
                break;
            case WM_JOB_DONE:
                bar.Finish();
                // The worker waits in its send, so the items are still there to read.
                for (const RipJobItem& item : job.items)
                    if (!item.outputPath.empty())
                        std::cout << item.outputPath << "\n";
                std::cout.flush();
                result = kExitOk;
                break;
            case WM_JOB_FAILED:
                bar.Finish();
                result = kExitFailed;
                break;
            default:
                break;
        }
    };
    queue.SetHandler(handle);
    bool cancelSignalled = false;
    while (result < 0) {
        queue.Dispatch(handle, 50);
        if (!cancelSignalled && interrupted.load(std::memory_order_relaxed)) {
            cancelSignalled = true;  // as the Abort button does
            cancel.Set();
        }
    }
    worker.join();
    sigaction(SIGINT, &previous, nullptr);
    return interrupted.load(std::memory_order_relaxed) ? kExitCancelled : result;
}

}  // namespace

int RunEncodeCommand(CliContext& context) {
    BatchArgs args;
    if (!ParseBatchArgs(context.args, args) || (args.format != "mp3" && args.format != "ogg")) {
        if (!args.files.empty())
            PrintError("--format is mp3 or ogg");
        PrintError("usage: korvida-cli encode --format mp3|ogg [--output DIR] FILE.wav...");
        return kExitUsage;
    }
    return RunFileJob(
        context, args.format == "ogg" ? FileJobKind::kEncodeOgg : FileJobKind::kEncodeMp3, args);
}

int RunDecodeCommand(CliContext& context) {
    BatchArgs args;
    if (!ParseBatchArgs(context.args, args) || !args.format.empty()) {
        PrintError("usage: korvida-cli decode [--output DIR] FILE.mp3...");
        return kExitUsage;
    }
    return RunFileJob(context, FileJobKind::kDecodeMp3, args);
}

int RunNormalizeCommand(CliContext& context) {
    BatchArgs args;
    if (!ParseBatchArgs(context.args, args) || !args.format.empty()) {
        PrintError("usage: korvida-cli normalize FILE.wav...");
        return kExitUsage;
    }
    return RunFileJob(context, FileJobKind::kNormaliseWav, args);
}

}  // namespace korvida::cli
