#include <strings.h>

#include <cstdio>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "core/disc/DiscDatabase.h"
#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/freedb/FreedbSession.h"
#include "core/freedb/FreedbSubmission.h"
#include "core/settings/Settings.h"

namespace korvida::cli {
namespace {

struct FreedbOptions {
    int pick = 0;
    std::string category;
    std::string server;
    std::string proxyHost;
    int proxyPort = 0;

    // The settings of this run with the command line's server and proxy.
    FreedbServerSettings Server() const {
        FreedbServerSettings s = FreedbServerSettingsFrom(TheSettings());
        if (!server.empty())
            s.Server = server;
        if (proxyPort > 0) {
            // The stored credentials are those of the stored proxy; another host named
            // here must not receive them.
            if (strcasecmp(proxyHost.c_str(), s.ProxyServer.c_str()) != 0)
                s.ProxyAuthorization = 0;
            s.bProxy = 1;
            s.ProxyServer = proxyHost;
            s.ProxyPort = proxyPort;
        }
        return s;
    }
};

// --server HOST, --proxy HOST:PORT and the command's own options; false on a usage error.
bool ParseFreedbOptions(const std::vector<std::string>& args, bool submit, FreedbOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 >= args.size()) {
            PrintError("unknown or incomplete option " + arg);
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--server") {
            options.server = value;
        } else if (arg == "--proxy") {
            const auto colon = value.rfind(':');
            int port = 80;
            if (colon == 0 || (colon != std::string::npos &&
                               !ParseCliNumber(value.substr(colon + 1), 1, 65535, &port))) {
                PrintError("--proxy needs HOST:PORT, not " + value);
                return false;
            }
            options.proxyHost = value.substr(0, colon);
            options.proxyPort = port;
        } else if (!submit && arg == "--pick") {
            if (!ParseCliNumber(value, 1, 1000000, &options.pick)) {
                PrintError("--pick needs a match number from 1, not " + value);
                return false;
            }
        } else if (submit && arg == "--category") {
            options.category = value;
        } else {
            PrintError("unknown option " + arg);
            return false;
        }
    }
    return true;
}

void PrintStatus(const std::string& text) {
    std::cerr << text << std::endl;
}

int OutcomeStatus(const FreedbOutcome& outcome, const InterruptToEvent& interrupt) {
    switch (outcome.kind) {
        case FreedbOutcome::Kind::kDone:
            return kExitOk;
        case FreedbOutcome::Kind::kCancelled:
            return interrupt.interrupted() ? interrupt.exitStatus() : kExitFailed;
        case FreedbOutcome::Kind::kNoMatch:
        case FreedbOutcome::Kind::kFailed:
            PrintError(outcome.text);
            return kExitFailed;
        case FreedbOutcome::Kind::kBadPick:
            return kExitUsage;  // the caller has named the pick and the list
    }
    return kExitFailed;
}

// Options first, so a usage error costs no disc load; then the disc. An exit status, or
// -1 when the command can go on.
int OpenFreedbRun(CliContext& context, bool submit, FreedbOptions& options, DiscSession& session) {
    if (!ParseFreedbOptions(context.args, submit, options))
        return kExitUsage;
    return OpenDisc(context, session);
}

}  // namespace

// The query wizard's sequence: id, query, read, apply, and the local database entry.
int RunQueryCommand(CliContext& context) {
    FreedbOptions options;
    DiscSession session;
    if (const int status = OpenFreedbRun(context, false, options, session); status >= 0)
        return status;
    const FreedbServerSettings server = options.Server();

    auto cancel = std::make_shared<Event>(false);
    InterruptToEvent interrupt(cancel);
    const auto msf = LbaTocToMsfToc(session.disc.rawToc);
    const FreedbLookup lookup =
        LookUpDisc(server, msf, options.pick, session.disc, cancel, PrintStatus);
    for (std::size_t i = 0; i < lookup.matches.size(); ++i) {
        const FreedbMatch& m = lookup.matches[i];
        std::cout << i + 1 << "\t" << m.category << "\t" << m.discId << "\t" << m.artist << " / "
                  << m.title << "\n";
    }
    if (lookup.outcome.kind == FreedbOutcome::Kind::kBadPick) {
        PrintError("--pick " + std::to_string(options.pick) +
                   " names no match: the server listed " + std::to_string(lookup.matches.size()));
    }
    const int result = OutcomeStatus(lookup.outcome, interrupt);
    if (result != kExitOk)
        return result;

    const DiscInfo& disc = session.disc;
    std::cout << disc.album.Artist << " / " << disc.album.Album << "\n";
    ShowReadTitles(disc, session.rows);
    for (const TrackList::Row& row : session.rows.rows())
        std::cout << row.texts[0] << "\t" << row.texts[1] << "\n";
    return SaveDiscDatabase(disc, session.rows, session.notifier) ? kExitOk : kExitFailed;
}

// The submit wizard's sequence over the disc's stored description.
int RunSubmitCommand(CliContext& context) {
    FreedbOptions options;
    DiscSession session;
    if (const int status = OpenFreedbRun(context, true, options, session); status >= 0)
        return status;
    const FreedbServerSettings server = options.Server();
    if (!IsPlausibleEmail(server.Email)) {
        PrintError(kEmailMissingText);
        return kExitFailed;
    }
    SubmitForm form = SubmitFormFromDisc(session.disc);
    if (!options.category.empty())
        form.category = options.category;

    auto cancel = std::make_shared<Event>(false);
    InterruptToEvent interrupt(cancel);
    const auto msf = LbaTocToMsfToc(session.disc.rawToc);
    const FreedbOutcome outcome =
        SubmitDiscAndWait(form, msf, server, session.disc, cancel, PrintStatus);
    const int result = OutcomeStatus(outcome, interrupt);
    if (result == kExitOk) {
        std::cout << outcome.text << "\n";
        RecordAcceptedRevision(form, session.disc);
        return SaveDiscDatabase(session.disc, session.rows, session.notifier) ? kExitOk
                                                                              : kExitFailed;
    }
    return result;
}

}  // namespace korvida::cli
