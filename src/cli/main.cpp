#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliContext.h"
#include "core/platform/ProgramFolder.h"
#include "core/settings/Settings.h"
#include "core/settings/StartLanguage.h"

namespace korvida::cli {
namespace {

using Command = int (*)(CliContext&);

struct CommandEntry {
    const char* name;
    Command run;
    const char* synopsis;  // what follows "korvida-cli [OPTIONS]"
    const char* summary;
};

constexpr CommandEntry kCommands[] = {
    {"settings", RunSettingsCommand, "settings [--set Section.Key=Value ...]",
     "print every setting as loaded from Settings.ini; with --set, change settings and\n"
     "save Settings.ini (--set may be repeated)"},
    {"drives", RunDrivesCommand, "drives [--features]",
     "list the drive table; with --features, what each drive offers secure reads: C2\n"
     "error pointers, accurate stream, the cache defeat it accepts, the read commands\n"
     "it answers"},
    {"toc", RunTocCommand, "toc", "the disc's TOC, track list, local key and ids"},
    {"info", RunInfoCommand, "info [--album | --track N] --set Field=Value ...",
     "edit the disc's descriptions and store them (--set may be repeated)"},
    {"rip", RunRipCommand,
     "rip [--tracks LIST] [--format mp3|ogg|wav|flac|opus] [--output DIR] [--rule RULE] [--log]\n"
     "    [--secure 0|1|2] [--gaps] [--whole-disc]",
     "rip the tracks (LIST like 1,3-5; default all); --log also writes the rip log and\n"
     "the cue sheet, as [AccurateRip] WriteLog=1 does; --secure sets CDROM.SecureMode for\n"
     "this run; --gaps detects pregaps and indexes first ([CDROM] DetectGaps=1);\n"
     "--whole-disc writes one WAV or FLAC of the disc with its cue sheet\n"
     "([Misc] WholeDiscImage=1)"},
    {"query", RunQueryCommand, "query [--pick N] [--server HOST] [--proxy HOST:PORT]",
     "look the disc up on the freedb server and store it"},
    {"submit", RunSubmitCommand, "submit [--category CAT] [--server HOST]",
     "submit the disc's description to the freedb server"},
    {"musicbrainz", RunMusicBrainzCommand, "musicbrainz [--pick N] [--server URL]",
     "look the disc up on MusicBrainz (by disc id, then by TOC) and store it"},
    {"encode", RunEncodeCommand, "encode --format mp3|ogg|flac|opus [--output DIR] FILE.wav ...",
     "encode WAV files to MP3, Ogg Vorbis, FLAC or Opus"},
    {"decode", RunDecodeCommand, "decode [--output DIR] FILE.mp3|FILE.flac ...",
     "decode MP3 and FLAC files to WAV"},
    {"normalize", RunNormalizeCommand, "normalize FILE.wav ...", "normalise WAV files in place"},
    {"accuraterip", RunAccurateRipCommand, "accuraterip [--server HOST]",
     "the disc's AccurateRip ids and database path; with a server, what the database\n"
     "holds for it"},
    {"verify-log", RunVerifyLogCommand, "verify-log FILE",
     "check a rip log's closing checksum: prints ok or changed (exit 0 or 1)"},
    {"verify", RunVerifyCommand, "verify PATH",
     "check a rip on disk (a cue sheet over WAV/FLAC files, a rip log with its files, or a\n"
     "folder of WAV/FLAC tracks) against AccurateRip and CTDB: exit 0 when every track is\n"
     "confirmed, 1 otherwise, 2 when nothing could be checked"},
    {"find-offset", RunFindOffsetCommand, "find-offset [--save]",
     "find the drive's read offset with a disc AccurateRip knows: one line per offset\n"
     "that matched, best first; --save stores the best as [CDROM] ReadOffset"},
    {"make-demo-disc", RunMakeDemoDiscCommand, "make-demo-disc DIR",
     "write the demo disc image (CUE and BIN) into DIR"},
};

constexpr char kOptionsUsage[] = "[--image FILE] [--drive N] [--quiet] [--lang en|zh]";

const CommandEntry* FindCommand(const std::string& name) {
    for (const CommandEntry& entry : kCommands) {
        if (name == entry.name)
            return &entry;
    }
    return nullptr;
}

// The summary's lines indented under the synopsis.
std::string Indented(const char* text, const char* indent) {
    std::string out = indent;
    for (const char* c = text; *c; ++c) {
        out += *c;
        if (*c == '\n')
            out += indent;
    }
    return out + "\n";
}

std::string ProgramUsage() {
    std::string text =
        std::string("usage: korvida-cli ") + kOptionsUsage + " COMMAND [ARGS]\n\nCommands:\n";
    for (const CommandEntry& entry : kCommands)
        text += std::string("  ") + entry.synopsis + "\n" + Indented(entry.summary, "      ");
    text +=
        "\n"
        "Options:\n"
        "  --image FILE   add a virtual drive for a CD image (CUE) and use it\n"
        "  --drive N      use drive N of the drive table\n"
        "  --quiet        no progress bar\n"
        "  --lang en|zh   the language of every text for this run (default: Misc.Language)\n"
        "  --help         this text; after a command, that command's usage\n"
        "  --version      the program's version\n"
        "\n"
        "Settings that change a rip (settings --set Section.Key=Value):\n"
        "  CDROM.ReadOffset=N     the drive's read offset in samples, with its sign (+667):\n"
        "                         AccurateRip's drive offset, the same as cd-paranoia -O\n"
        "  CDROM.TestAndCopy=1    read every track twice and compare the two reads\n"
        "  CDROM.ReadSpeed=N      ask the drive for N times 1x speed (0: its own)\n"
        "  CDROM.SecureMode=N     0 read once; 1 read every sector twice, re-read where\n"
        "                         reads differ; 2 trust the drive's C2 error pointers\n"
        "  CDROM.SecureRereads=N  re-reads of a sector before it is suspicious (2-100)\n"
        "  CDROM.DetectGaps=1     pregaps and indexes from the sub-channel, as --gaps\n"
        "  CDROM.HiddenTrack=1    music before track 1 is ripped as track 00 (with gaps)\n"
        "  CDROM.DeEmphasis=1     tracks with pre-emphasis are de-emphasised\n"
        "  Misc.WholeDiscImage=1  one WAV or FLAC of the whole disc, as --whole-disc\n"
        "  AccurateRip.Verify=0   no checksums and no AccurateRip lookup\n"
        "  AccurateRip.WriteLog=1 the rip log (and cue sheet) after every rip, as --log\n"
        "\n"
        "The app home is $KORVIDA_HOME when set, else ~/.config/korvida.\n"
        "Exit status: 0 done, 1 failed, 2 usage error, 130 interrupted (Ctrl+C);\n"
        "a job ended by SIGTERM or SIGHUP cleans up like Ctrl+C and exits 143 or 129.\n";
    return text;
}

std::string CommandUsage(const CommandEntry& entry) {
    return std::string("usage: korvida-cli ") + kOptionsUsage + " " + entry.synopsis + "\n" +
           Indented(entry.summary, "  ");
}

// "--help" among a command's arguments asks for its usage; words after "--" are operands
// (a file may be called "--help").
bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

bool ParseLangOption(const std::string& word, std::optional<Language>& language) {
    if (word != "en" && word != "zh") {
        PrintError("--lang takes en or zh, not " + word);
        return false;
    }
    language = ParseLanguage(word);
    return true;
}

}  // namespace

bool ParseCliNumber(const std::string& text, long min, long max, int* value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || text.empty() || *end != '\0' || v < min || v > max)
        return false;
    *value = static_cast<int>(v);
    return true;
}

void PrintError(const std::string& text) {
    std::cerr << "korvida-cli: " << text << std::endl;
}

int UsageError(const CliContext& context, const std::string& problem) {
    PrintError(problem);
    if (const CommandEntry* entry = FindCommand(context.command))
        std::cerr << CommandUsage(*entry);
    return kExitUsage;
}

bool CollectSetPairs(const std::vector<std::string>& args, std::size_t from,
                     std::vector<std::string>& pairs, std::string& problem) {
    bool wanted = false;  // a --set not yet followed by its first pair
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--set") {
            if (wanted)
                break;
            wanted = true;
        } else if (i == from) {
            problem = "expected --set, not " + arg;
            return false;
        } else if (arg.find('=') == std::string::npos || arg[0] == '-' || arg[0] == '=') {
            problem = "not Key=Value: " + arg;
            return false;
        } else {
            pairs.push_back(arg);
            wanted = false;
        }
    }
    if (wanted || pairs.empty()) {
        problem = "missing Key=Value after --set";
        return false;
    }
    return true;
}

void StderrNotifier::ShowMessage(const std::string& text, Icon) {
    PrintError(text);
}

int Main(int argc, char** argv) {
    CliContext context;
    std::optional<Language> language;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << ProgramUsage();
            return kExitOk;
        } else if (option == "--version") {
            std::cout << "korvida-cli " << KORVIDA_VERSION << "\n";
            return kExitOk;
        } else if (option == "--quiet") {
            context.quiet = true;
        } else if (option == "--lang" && i + 1 < argc) {
            if (!ParseLangOption(argv[++i], language))
                return kExitUsage;
        } else if ((option == "--image" || option == "--drive") && i + 1 < argc) {
            if (option == "--image") {
                context.images.emplace_back(argv[++i]);
            } else if (!ParseCliNumber(argv[++i], 0, 1000, &context.drive)) {
                PrintError("--drive needs a drive number, not " + std::string(argv[i]));
                return kExitUsage;
            }
        } else {
            PrintError("unknown option " + option + " (see --help)");
            return kExitUsage;
        }
    }
    if (i >= argc) {
        std::cerr << ProgramUsage();
        return kExitUsage;
    }
    const CommandEntry* command = FindCommand(argv[i]);
    if (!command) {
        PrintError("unknown command " + std::string(argv[i]) + " (see --help)");
        return kExitUsage;
    }
    context.command = command->name;
    for (++i; i < argc; ++i) {
        const std::string arg = argv[i];
        // Common options may also follow the command.
        if (arg == "--quiet") {
            context.quiet = true;
        } else if (arg == "--image" && i + 1 < argc) {
            context.images.emplace_back(argv[++i]);
        } else if (arg == "--lang" && i + 1 < argc) {
            if (!ParseLangOption(argv[++i], language))
                return kExitUsage;
        } else if (arg == "--drive" && i + 1 < argc) {
            if (!ParseCliNumber(argv[++i], 0, 1000, &context.drive)) {
                PrintError("--drive needs a drive number, not " + std::string(argv[i]));
                return kExitUsage;
            }
        } else {
            context.args.push_back(arg);
        }
    }
    // Before anything the command says, after every option that could choose it.
    UseLanguage(language ? *language : StartLanguage(SettingsPath()), LocaleFolder());
    if (AsksForHelp(context.args)) {
        std::cout << CommandUsage(*command);
        return kExitOk;
    }
    return command->run(context);
}

}  // namespace korvida::cli

int main(int argc, char** argv) {
    return korvida::cli::Main(argc, argv);
}
