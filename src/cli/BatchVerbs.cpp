// korvida-cli encode, decode and normalize: the file jobs of the File menu over files named on the
// command line, with the progress window's captions drawn as a one-line bar on standard
// error and the output paths on standard output.

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "cli/JobProgress.h"
#include "core/batch/BatchJobs.h"
#include "core/encode/EncoderLibrary.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida::cli {
namespace {

struct BatchArgs {
    std::string output;
    bool hasOutput = false;
    std::string format;  // encode: mp3, ogg, flac or opus
    std::vector<std::string> files;
};

bool ParseBatchArgs(const std::vector<std::string>& args, BatchArgs& parsed, std::string& problem) {
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
            problem = (arg == "--output" || arg == "--format" ? "missing value after "
                                                              : "unknown option ") +
                      arg;
            return false;
        }
    }
    if (parsed.files.empty())
        problem = "no files given";
    return !parsed.files.empty();
}

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
    auto job = std::make_unique<RipJob>();
    SetFileJobItems(*job, args.files);
    const int itemCount = static_cast<int>(job->items.size());
    JobParties parties;
    parties.progressWindow = &queue;
    parties.mainWindow = &queue;
    // Ctrl+C acts as the Abort button; caught from before the worker makes its first file.
    InterruptToEvent interrupt;
    RipJobHandle running = StartFileJob(std::move(job), kind, parties, settings);
    if (!running.started())
        return interrupt.interrupted() ? interrupt.exitStatus() : kExitFailed;
    interrupt.Watch(running.cancelEvent());
    // Decode and encode jobs show the progress window's encoding captions, normalise
    // jobs its extraction captions.
    const int result = PumpJobMessages(queue, running, itemCount, context.quiet,
                                       kind != FileJobKind::kNormaliseWav);
    running.Wait();
    return interrupt.interrupted() ? interrupt.exitStatus() : result;
}

}  // namespace

int RunEncodeCommand(CliContext& context) {
    BatchArgs args;
    std::string problem;
    if (!ParseBatchArgs(context.args, args, problem))
        return UsageError(context, problem);
    static const std::pair<const char*, FileJobKind> kFormats[] = {
        {"mp3", FileJobKind::kEncodeMp3},
        {"ogg", FileJobKind::kEncodeOgg},
        {"flac", FileJobKind::kEncodeFlac},
        {"opus", FileJobKind::kEncodeOpus}};
    for (const auto& [name, kind] : kFormats)
        if (args.format == name)
            return RunFileJob(context, kind, args);
    return UsageError(context, args.format.empty()
                                   ? "missing --format"
                                   : "--format is mp3, ogg, flac or opus, not " + args.format);
}

int RunDecodeCommand(CliContext& context) {
    BatchArgs args;
    std::string problem;
    if (!ParseBatchArgs(context.args, args, problem))
        return UsageError(context, problem);
    if (!args.format.empty())
        return UsageError(context, "unknown option --format");
    return RunFileJob(context, FileJobKind::kDecodeMp3, args);
}

int RunNormalizeCommand(CliContext& context) {
    BatchArgs args;
    std::string problem;
    if (!ParseBatchArgs(context.args, args, problem))
        return UsageError(context, problem);
    if (!args.format.empty())
        return UsageError(context, "unknown option --format");
    return RunFileJob(context, FileJobKind::kNormaliseWav, args);
}

}  // namespace korvida::cli
