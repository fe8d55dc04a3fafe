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

namespace korvida::cli {
namespace {

std::string Hex(const char* format, std::uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

int RunDrivesCommand(CliContext& context) {
    DiscSession session;
    const int status = OpenDrive(context, session);
    if (status >= 0)
        return status;
    const CSCSIDriver& driver = *session.selection.driver;
    for (int i = 0; i < driver.driveCount && i < kMaxDrives; ++i)
        std::cout << FormatDriveLine(i, driver.drives[static_cast<std::size_t>(i)]) << "\n";
    return kExitOk;
}

int RunMakeDemoDiscCommand(CliContext& context) {
    if (context.args.size() != 1) {
        PrintError("usage: korvida-cli make-demo-disc DIR");
        return kExitUsage;
    }
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
    if (!context.args.empty()) {
        PrintError("usage: korvida-cli [--image FILE] [--drive N] toc");
        return kExitUsage;
    }
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
    std::cout << "local key: " << Hex("%x", session.load.localKey) << "\n";

    std::uint8_t msf[kTocResponseSize] = {};
    FreedbTocSummary summary{};
    if (session.selection.driver->ReadTOC(msf, 1)) {
        std::cout << "cdplayer.ini section: " << Hex("%x", CdPlayerVolumeId(msf, sizeof msf))
                  << "\n";
        if (ComputeFreedbDiscId(std::span<const std::uint8_t, kTocResponseSize>(msf), summary))
            std::cout << "freedb id: " << Hex("%08x", FreedbDiscId(summary)) << "\n";
    }
    return kExitOk;
}

// info [--album | --track N] --set Field=Value …: edits the description and stores the
// disc's database entry, as an eject would.
int RunInfoCommand(CliContext& context) {
    const char* usage = "usage: korvida-cli info [--album | --track N] --set Field=Value ...";
    int track = -1;  // -1 = album
    std::size_t i = 0;
    const auto& args = context.args;
    if (i < args.size() && args[i] == "--album") {
        ++i;
    } else if (i + 1 < args.size() && args[i] == "--track") {
        char* end = nullptr;
        const long n = std::strtol(args[i + 1].c_str(), &end, 10);
        if (*end != '\0' || n < 1 || n > 99) {
            PrintError("--track needs a track number from 1 to 99, not " + args[i + 1]);
            return kExitUsage;
        }
        track = static_cast<int>(n) - 1;
        i += 2;
    }
    if (i >= args.size() || args[i] != "--set" || i + 1 >= args.size()) {
        PrintError(usage);
        return kExitUsage;
    }
    DiscSession session;
    const int status = OpenDisc(context, session);
    if (status >= 0)
        return status;
    if (track >= session.disc.trackCount) {
        PrintError("the disc has no track " + std::to_string(track + 1));
        return kExitUsage;
    }
    TrackInfo& info =
        track < 0 ? session.disc.album : session.disc.tracks[static_cast<std::size_t>(track)];
    for (++i; i < args.size(); ++i) {
        const auto eq = args[i].find('=');
        if (eq == std::string::npos) {
            PrintError("not Field=Value: " + args[i]);
            return kExitUsage;
        }
        const std::string field = args[i].substr(0, eq);
        if (track < 0 && (field == "Title" || field == "Genre")) {
            PrintError("the album's " + field + " is not stored; set Album or GenreName");
            return kExitUsage;
        }
        std::string error;
        if (!SetTrackInfoField(info, field, args[i].substr(eq + 1), &error)) {
            PrintError(error);
            return kExitUsage;
        }
    }
    return SaveDiscDatabase(session.disc, session.rows, session.notifier) ? kExitOk : kExitFailed;
}

}  // namespace korvida::cli
