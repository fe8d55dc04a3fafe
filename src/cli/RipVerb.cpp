// korvida-cli rip: the rip job of the GUI, with the progress window's captions drawn as a
// one-line bar on standard error and the output paths on standard output.
#include <unistd.h>
#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <string>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "cli/JobProgress.h"
#include "core/disc/DiscToc.h"
#include "core/encode/EncoderLibrary.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/rip/HiddenTrack.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipThread.h"
#include "core/rip/WholeDiscImage.h"
#include "core/settings/SettingRules.h"
#include "core/settings/Settings.h"
#include "core/verify/VerificationLine.h"
#include "core/verify/VerificationText.h"

namespace korvida::cli {
namespace {

struct RipOptions {
    std::string tracks;  // empty: every track
    int format = -1;     // -1: the OutputFormat setting
    std::string output;
    std::string rule;
    bool hasOutput = false;
    bool hasRule = false;
    bool log = false;        // --log: the rip log and the cue sheet for this run
    bool gaps = false;       // --gaps: [CDROM] DetectGaps for this run
    bool wholeDisc = false;  // --whole-disc: [Misc] WholeDiscImage for this run
    int secure = -1;         // --secure N: SecureMode for this run; -1: the setting's
};

bool ParseFormat(const std::string& text, int* format) {
    if (text == "mp3")
        *format = kOutputMp3;
    else if (text == "wav")
        *format = kOutputWav;
    else if (text == "ogg")
        *format = kOutputOgg;
    else if (text == "flac")
        *format = kOutputFlac;
    else if (text == "opus")
        *format = kOutputOpus;
    else
        return false;
    return true;
}

bool ParseRipOptions(const std::vector<std::string>& args, RipOptions& options,
                     std::string& problem) {
    static const char* const kOptions[] = {"--tracks", "--format", "--output", "--rule",
                                           "--secure"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--log") {
            options.log = true;
            continue;
        }
        if (arg == "--gaps" || arg == "--whole-disc") {
            (arg == "--gaps" ? options.gaps : options.wholeDisc) = true;
            continue;
        }
        if (std::find(std::begin(kOptions), std::end(kOptions), arg) == std::end(kOptions)) {
            problem = "unknown rip option " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            problem = "missing value after " + arg;
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--tracks") {
            options.tracks = value;
        } else if (arg == "--format") {
            if (!ParseFormat(value, &options.format)) {
                problem = "--format is mp3, ogg, wav, flac or opus, not " + value;
                return false;
            }
        } else if (arg == "--secure") {
            if (value != "0" && value != "1" && value != "2") {
                problem = "--secure is 0, 1 or 2, not " + value;
                return false;
            }
            options.secure = value[0] - '0';
        } else if (arg == "--output") {
            options.output = value;
            options.hasOutput = true;
        } else {
            options.rule = value;
            options.hasRule = true;
        }
    }
    return true;
}

// "1,3-5" → track numbers {1, 3, 4, 5}; false on anything else or a number outside
// 1..trackCount.
bool ParseTrackList(const std::string& text, int trackCount, std::set<int>& numbers,
                    std::string& error) {
    const auto number = [&](const std::string& s, int* n) {
        if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos || s.size() > 3)
            return false;
        *n = std::atoi(s.c_str());
        return *n >= 1 && *n <= trackCount;
    };
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        const std::string part = text.substr(from, comma - from);
        const std::size_t dash = part.find('-');
        int first = 0, last = 0;
        const bool ok = dash == std::string::npos
                            ? number(part, &first) && ((last = first), true)
                            : number(part.substr(0, dash), &first) &&
                                  number(part.substr(dash + 1), &last) && first <= last;
        if (!ok) {
            error = "--tracks: no track " + part + " on this disc (1-" +
                    std::to_string(trackCount) + ")";
            return false;
        }
        for (int n = first; n <= last; ++n)
            numbers.insert(n);
        if (comma == std::string::npos)
            return true;
        from = comma + 1;
    }
}

// The format, log, output folder and naming rule of the options, in the settings. False
// after printing why the folder or the rule is refused.
bool ApplyToSettings(const RipOptions& options, Settings& settings) {
    if (options.format >= 0)
        settings.OutputFormat = options.format;
    if (options.log)
        settings.AccurateRipWriteLog = 1;
    if (options.gaps)
        settings.DetectGaps = 1;
    if (options.wholeDisc)
        settings.WholeDiscImage = 1;
    if (options.secure >= 0)
        settings.SecureMode = options.secure;
    if (options.hasOutput || options.hasRule) {
        const NamingValidation naming =
            ValidateNamingSettings(options.hasOutput ? options.output : settings.OutputFolder,
                                   options.hasRule ? options.rule : settings.NamingRule);
        if (!naming.accepted) {
            PrintError(naming.message);
            return false;
        }
        settings.OutputFolder = naming.folder;
        settings.NamingRule = naming.rule;
    }
    return true;
}

// Ticks the tracks of --tracks, or without it every audio track (a data track named in
// --tracks is skipped with a log line). False when the list does not fit the disc.
bool TickTracks(const std::string& tracks, DiscSession& session, std::string& error) {
    std::set<int> numbers;
    if (!tracks.empty() && !ParseTrackList(tracks, session.disc.trackCount, numbers, error))
        return false;
    for (int i = 0; i < session.rows.size(); ++i) {
        TrackList::Row& row = session.rows.row(i);
        row.checked = tracks.empty() ? !IsDataTrack(session.disc, row.trackIndex)
                                     : numbers.count(row.trackIndex + 1) > 0;
    }
    return true;
}

// After the job log: each extracted track's figures and the database's word on them.
// They are reported, never turned into the exit status.
void PrintVerification(const RipJob& job) {
    for (const RipJobItem& item : job.items)
        if (!VerificationText(item.verification).empty())
            std::cerr << VerificationLine(item.index + 1, item.verification) << "\n";
}

}  // namespace

int RunRipCommand(CliContext& context) {
    RipOptions options;
    std::string problem;
    if (!ParseRipOptions(context.args, options, problem))
        return UsageError(context, problem);
    DiscSession session;
    const int status = OpenDisc(context, session);
    if (status >= 0)
        return status;

    // Options change the settings for this run only; nothing is saved.
    Settings& settings = TheSettings();
    if (!ApplyToSettings(options, settings))
        return kExitFailed;
    if (const std::string refusal = WholeDiscImageRefusal(settings); !refusal.empty()) {
        PrintError(refusal);
        return kExitFailed;
    }
    std::string error;
    if (!TickTracks(options.tracks, session, error))
        return UsageError(context, error);

    // The main window binds the encoder module at start-up; a command line binds it when
    // the run needs it.
    if (settings.OutputFormat == kOutputMp3)
        BindEncoderAtStartUp(settings.MP3Encoder, session.notifier);

    CSCSIDriver* driver = session.selection.driver.get();
    int total = PrepareRip(session.rows, session.disc, driver, session.notifier);
    if (total == 0)
        return kExitFailed;
    if (HiddenTrackCandidate(session.rows, session.disc, settings) > 0)
        ++total;

    MessageQueue queue;
    JobParties parties;
    parties.driver = driver;
    parties.progressWindow = &queue;
    parties.mainWindow = &queue;
    // Ctrl+C acts as the Abort button; caught from before the worker makes its first file.
    InterruptToEvent interrupt;
    RipJobHandle job = StartRip(session.rows, session.disc, parties, settings, session.notifier);
    if (!job.started())
        return interrupt.interrupted() ? interrupt.exitStatus() : kExitFailed;
    interrupt.Watch(job.cancelEvent());

    const int result =
        PumpJobMessages(queue, job, total, context.quiet, false, [&](const Message& m) {
            if (m.id == WM_CURRENT_TRACK)
                session.rows.HighlightOnly(session.rows.FindTrack(static_cast<int>(m.wParam)));
        });
    job.Wait();
    if (settings.AccurateRipVerify)
        PrintVerification(*job);
    return interrupt.interrupted() ? interrupt.exitStatus() : result;
}

}  // namespace korvida::cli
