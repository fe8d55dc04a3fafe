// korvida-cli accuraterip: the disc's AccurateRip ids, and what the database holds for it.
#include <iostream>
#include <memory>
#include <string>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "core/jobs/Event.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"
#include "core/verify/AccurateRipDisc.h"
#include "core/verify/AccurateRipLookup.h"

namespace korvida::cli {

int RunAccurateRipCommand(CliContext& context) {
    std::string server;
    const auto& args = context.args;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--server")
            return UsageError(context, "unknown accuraterip option " + args[i]);
        if (i + 1 >= args.size() || args[i + 1].empty())
            return UsageError(context, "missing value after --server");
        server = args[++i];
    }
    DiscSession session;
    const int status = OpenDisc(context, session);
    if (status >= 0)
        return status;

    const AccurateRipDisc disc = AccurateRipDiscOf(session.disc.rawToc.data());
    if (!disc.ok) {
        PrintError("the disc has no audio track: it has no AccurateRip id");
        return kExitFailed;
    }
    std::cout << "accuraterip id: " << disc.IdText() << "\n";
    std::cout << "database path: " << disc.DatabasePath() << "\n";
    std::cout.flush();

    // A server on the command line asks even with the lookup turned off.
    Settings settings = TheSettings();
    if (server.empty() && !settings.AccurateRipLookup)
        return kExitOk;
    if (!server.empty())
        settings.AccurateRipServer = server;
    // Ctrl+C ends the request as it ends a job (exit 130), not after the deadline.
    auto cancel = std::make_shared<Event>(false);
    InterruptToEvent interrupt(cancel);
    const AccurateRipLookupResult result = AccurateRipLookup::Run(disc, settings, cancel.get());
    if (interrupt.interrupted())
        return interrupt.exitStatus();
    using Status = AccurateRipLookupResult::Status;
    switch (result.status) {
        case Status::kFound:
            for (const AccurateRipPressing& pressing : result.reply.pressings) {
                for (std::size_t t = 0; t < pressing.tracks.size(); ++t) {
                    const AccurateRipPressing::Track& track = pressing.tracks[t];
                    std::cout << FormatText("%02zu %d %08x %08x", t + 1, track.confidence,
                                            track.crc, track.frame450)
                              << "\n";
                }
            }
            return kExitOk;
        case Status::kNotInDatabase:
            std::cout << "不在数据库中\n";
            return kExitOk;
        case Status::kUnreadable:
            PrintError(settings.AccurateRipServer + ": 数据库回复无法解读: " + result.detail);
            return kExitFailed;
        default:
            PrintError(settings.AccurateRipServer + ": 查询失败: " + result.detail);
            return kExitFailed;
    }
}

}  // namespace korvida::cli
