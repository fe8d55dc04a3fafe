#include <cstdio>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "core/cdrom/DemoDisc.h"
#include "core/cdrom/Toc.h"
#include "core/disc/CdPlayerIni.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/TrackInfoFields.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/musicbrainz/MusicBrainzDiscId.h"
#include "core/text/FormatText.h"
#include "core/verify/CtdbDisc.h"

namespace korvida::cli {

int RunDrivesCommand(CliContext& context) {
    DiscSession session;
    const int status = OpenDrive(context, session);
    // A drive that does not open fails the selection but is listed, named as unusable.
    const CSCSIDriver* driver = session.selection.driver.get();
    if (status >= 0 && (status != kExitFailed || !driver || driver->driveCount == 0))
        return status;
    for (int i = 0; i < driver->driveCount && i < kMaxDrives; ++i)
        std::cout << FormatDriveLine(i, driver->drives[static_cast<std::size_t>(i)]) << "\n";
    return status >= 0 ? status : kExitOk;
}

int RunMakeDemoDiscCommand(CliContext& context) {
    if (context.args.size() != 1)
        return UsageError(context, context.args.empty() ? "missing DIR"
                                                        : "unexpected argument " + context.args[1]);
    std::string error;
    const std::string cue = MakeDemoDisc(context.args[0], &error);
    if (cue.empty()) {
        PrintError(error);
        return kExitFailed;
    }
    std::cout << cue << "\n";
    return kExitOk;
}

int RunTocCommand(CliContext& context) {
    if (!context.args.empty())
        return UsageError(context, "unexpected argument " + context.args[0]);
    DiscSession session;
    const int status = OpenDisc(context, session);
    if (status >= 0)
        return status;

    const auto& raw = session.disc.rawToc;
    for (const auto& line : TocDescriptorLines(ParseTocReply(raw.data(), raw.size())))
        std::cout << line << "\n";
    for (const auto& row : session.rows.rows())
        std::cout << row.texts[0] << "\t" << row.texts[1] << "\t" << row.texts[2] << "\t"
                  << row.texts[3] << "\n";
    std::cout << "local key: " << FormatText("%x", session.load.localKey) << "\n";

    std::uint8_t msf[kTocResponseSize] = {};
    FreedbTocSummary summary{};
    if (session.selection.driver->ReadTOC(msf, 1)) {
        std::cout << "cdplayer.ini section: " << FormatText("%x", CdPlayerVolumeId(msf, sizeof msf))
                  << "\n";
        if (ComputeFreedbDiscId(std::span<const std::uint8_t, kTocResponseSize>(msf), summary))
            std::cout << "freedb id: " << FormatText("%08x", FreedbDiscId(summary)) << "\n";
    }
    const MusicBrainzDiscId musicBrainz = ComputeMusicBrainzDiscId(session.disc.rawToc);
    if (musicBrainz.ok)
        std::cout << "musicbrainz id: " << musicBrainz.id << "\n";
    if (const CtdbDisc ctdb = CtdbDiscOf(session.disc.rawToc.data()); ctdb.ok)
        std::cout << "ctdb id: " << ctdb.id << "\n";
    return kExitOk;
}

// info [--album | --track N] --set Field=Value …: edits the description and stores the
// disc's database entry, as an eject would.
int RunInfoCommand(CliContext& context) {
    int track = -1;  // -1 = album
    std::size_t i = 0;
    const auto& args = context.args;
    if (i < args.size() && args[i] == "--album") {
        ++i;
    } else if (i < args.size() && args[i] == "--track") {
        if (i + 1 >= args.size() || !ParseCliNumber(args[i + 1], 1, 99, &track))
            return UsageError(context, "--track needs a track number from 1 to 99" +
                                           (i + 1 < args.size() ? ", not " + args[i + 1] : ""));
        track -= 1;
        i += 2;
    }
    std::vector<std::string> pairs;
    std::string problem;
    if (!CollectSetPairs(args, i, pairs, problem))
        return UsageError(context, i < args.size() ? problem : "missing --set Field=Value");
    // Every pair is checked before the disc is loaded, so a typo costs no drive access.
    for (const std::string& pair : pairs) {
        const std::string field = pair.substr(0, pair.find('='));
        if (track < 0 && (field == "Title" || field == "Genre"))
            return UsageError(context,
                              "the album's " + field + " is not stored; set Album or GenreName");
    }
    DiscSession session;
    const int status = OpenDisc(context, session);
    if (status >= 0)
        return status;
    if (track >= session.disc.trackCount)
        return UsageError(context, "the disc has no track " + std::to_string(track + 1));
    TrackInfo& info =
        track < 0 ? session.disc.album : session.disc.tracks[static_cast<std::size_t>(track)];
    for (const std::string& pair : pairs) {
        const auto eq = pair.find('=');
        std::string error;
        if (!SetTrackInfoField(info, pair.substr(0, eq), pair.substr(eq + 1), &error))
            return UsageError(context, error);
    }
    return SaveDiscDatabase(session.disc, session.rows, session.notifier) ? kExitOk : kExitFailed;
}

}  // namespace korvida::cli
