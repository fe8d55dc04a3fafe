#include <cstdio>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/DiscSession.h"
#include "core/cdrom/DemoDisc.h"
#include "core/cdrom/DriveFeatures.h"
#include "core/cdrom/Toc.h"
#include "core/disc/CdPlayerIni.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/TrackInfoFields.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/musicbrainz/MusicBrainzDiscId.h"
#include "core/text/FormatText.h"
#include "core/verify/CtdbDisc.h"

namespace korvida::cli {

namespace {

const char* YesNo(bool yes) {
    return yes ? "yes" : "no";
}

// `drives --features`: what secure reads can count on, asked of the drive itself.
void PrintFeatures(const DriveFeatures& f) {
    if (f.capabilitiesRead) {
        std::cout << "  C2 error pointers: " << YesNo(f.capabilities.c2Pointers)
                  << (f.capabilities.c2Pointers && !f.c2Reads ? " (READ CD with C2 refused)" : "")
                  << "\n  accurate stream: " << YesNo(f.capabilities.accurateStream) << "\n";
    } else {
        std::cout << "  C2 error pointers: unknown (no capabilities page)\n"
                  << "  accurate stream: unknown\n";
    }
    if (f.readCommands.empty()) {
        std::cout << "  cache defeat: unknown (no audio disc)\n  read commands: none answered\n";
        return;
    }
    std::cout << "  cache defeat: "
              << (f.cacheDefeat == CacheDefeat::kFua       ? "FUA read"
                  : f.cacheDefeat == CacheDefeat::kFarRead ? "far read (FUA refused)"
                                                           : "none")
              << "\n  read commands:";
    for (std::uint8_t command : f.readCommands)
        std::cout << FormatText(" %02Xh", command);
    std::cout << "\n";
}

}  // namespace

int RunDrivesCommand(CliContext& context) {
    bool features = false;
    for (const std::string& arg : context.args) {
        if (arg != "--features")
            return UsageError(context, "unexpected argument " + arg);
        features = true;
    }
    DiscSession session;
    const int status = OpenDrive(context, session);
    // A drive that does not open fails the selection but is listed, named as unusable.
    CSCSIDriver* driver = session.selection.driver.get();
    if (status >= 0 && (status != kExitFailed || !driver || driver->driveCount == 0))
        return status;
    const int count = driver->driveCount;
    for (int i = 0; i < count && i < kMaxDrives; ++i) {
        std::cout << FormatDriveLine(i, driver->drives[static_cast<std::size_t>(i)]) << "\n";
        // Each drive is selected in turn to be asked; one that does not open has nothing
        // to say beyond its line.
        if (features && driver->Init(i) && driver->currentDrive == i)
            PrintFeatures(ProbeDriveFeatures(*driver));
    }
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
