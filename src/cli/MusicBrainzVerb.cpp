#include <iostream>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "cli/Interrupt.h"
#include "core/disc/DiscDatabase.h"
#include "core/freedb/ApplyReadResult.h"
#include "core/musicbrainz/ApplyMusicBrainzRelease.h"
#include "core/musicbrainz/FetchCoverArt.h"
#include "core/musicbrainz/LookUpMusicBrainz.h"
#include "core/settings/Settings.h"

namespace korvida::cli {
namespace {

struct MusicBrainzOptions {
    int pick = 0;  // 1-based; 0: none given
    std::string server;
};

bool ParseOptions(const CliContext& context, MusicBrainzOptions& options, std::string& problem) {
    const auto& args = context.args;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size() || (args[i] != "--pick" && args[i] != "--server")) {
            problem = "unknown or incomplete option " + args[i];
            return false;
        }
        if (args[i] == "--server") {
            options.server = args[i + 1];
        } else if (!ParseCliNumber(args[i + 1], 1, 1000000, &options.pick)) {
            problem = "--pick needs a match number from 1, not " + args[i + 1];
            return false;
        }
    }
    return true;
}

}  // namespace

// Looks the disc up on MusicBrainz, applies the release picked (the first when several
// match and none is picked, as `query` does) and stores the disc as a freedb read would.
// A release that does not fit the disc is not applied: the reason, nothing stored, exit 1.
int RunMusicBrainzCommand(CliContext& context) {
    MusicBrainzOptions options;
    std::string problem;
    if (!ParseOptions(context, options, problem))
        return UsageError(context, problem);
    DiscSession session;
    if (const int status = OpenDisc(context, session); status >= 0)
        return status;
    Settings settings = TheSettings();
    if (!options.server.empty())
        settings.MusicBrainzServer = options.server;

    auto cancel = std::make_shared<Event>(false);
    InterruptToEvent interrupt(cancel);
    // A busy server's wait is said on standard error, where the job log goes.
    const MusicBrainzLookup lookup =
        LookUpMusicBrainz(session.disc.rawToc, settings, cancel.get(), 30000,
                          [](const std::string& text) { PrintError(text); });
    switch (lookup.outcome) {
        case MusicBrainzLookup::Outcome::kFound:
            break;
        case MusicBrainzLookup::Outcome::kNotFound:
            PrintError("MusicBrainz 数据库中没有这张唱片 (唱片标识 " + lookup.disc.id +
                       ")。可以在下面的网址把它加入数据库：");
            std::cout << lookup.disc.submissionUrl << "\n";
            return kExitFailed;
        case MusicBrainzLookup::Outcome::kCancelled:
            return interrupt.interrupted() ? interrupt.exitStatus() : kExitFailed;
        case MusicBrainzLookup::Outcome::kFailed:
            PrintError(lookup.errorText);
            return kExitFailed;
    }

    // A release that cannot be applied is listed with the reason after a tab: the user
    // sees what was found, and that picking it would not help.
    for (std::size_t i = 0; i < lookup.releases.size(); ++i) {
        const MusicBrainzRelease& release = lookup.releases[i];
        std::cout << i + 1 << "\t" << release.Summary();
        if (release.medium < 0)
            std::cout << "\t" << release.note;
        std::cout << "\n";
    }
    if (options.pick > static_cast<int>(lookup.releases.size())) {
        PrintError("--pick " + std::to_string(options.pick) +
                   " names no match: the server listed " + std::to_string(lookup.releases.size()));
        return kExitUsage;
    }
    const MusicBrainzRelease& chosen =
        lookup.releases[static_cast<std::size_t>(options.pick > 0 ? options.pick - 1 : 0)];
    if (!ApplyMusicBrainzRelease(chosen, session.disc)) {
        PrintError(
            "没有套用 MusicBrainz 的唱片信息：" +
            (chosen.medium < 0 ? chosen.note : std::string("这个版本没有标题、艺术家和曲目名。")));
        return kExitFailed;
    }
    if (!chosen.note.empty())
        PrintError(chosen.note);

    const DiscInfo& disc = session.disc;
    std::cout << disc.album.Artist << " / " << disc.album.Album << "\n";
    ShowReadTitles(disc, session.rows);
    for (const TrackList::Row& row : session.rows.rows())
        std::cout << row.texts[0] << "\t" << row.texts[1] << "\n";
    if (!SaveDiscDatabase(disc, session.rows, session.notifier))
        return kExitFailed;
    // The names are stored: a cover that cannot be had is worth a line, not a failure.
    const CoverArtFetch cover = FetchAndStoreCoverArt(disc, chosen.mbid, settings, cancel.get());
    if (cover.outcome == CoverArtFetch::Outcome::kFailed)
        PrintError(cover.errorText);
    return kExitOk;
}

}  // namespace korvida::cli
