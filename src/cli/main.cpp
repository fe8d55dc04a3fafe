#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>

#include "cli/CliContext.h"

namespace korvida::cli {
namespace {

constexpr char kUsage[] =
    "usage: korvida-cli [--image FILE] [--drive N] [--quiet] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  settings                         print every setting as loaded from Settings.ini\n"
    "  settings --set Section.Key=Value ...\n"
    "                                   change settings and save Settings.ini\n"
    "  drives                           list the drive table\n"
    "  toc                              the disc's TOC, track list, local key and ids\n"
    "  info [--album | --track N] --set Field=Value ...\n"
    "                                   edit the disc's descriptions and store them\n"
    "  rip [--tracks LIST] [--format mp3|ogg|wav] [--output DIR] [--rule RULE]\n"
    "                                   rip the tracks (LIST like 1,3-5; default all)\n"
    "  query [--pick N] [--server HOST] [--proxy HOST:PORT]\n"
    "                                   look the disc up on the freedb server and store it\n"
    "  submit [--category CAT] [--server HOST]\n"
    "                                   submit the disc's description to the freedb server\n"
    "  encode --format mp3|ogg [--output DIR] FILE.wav ...\n"
    "                                   encode WAV files to MP3 or Ogg Vorbis\n"
    "  decode [--output DIR] FILE.mp3 ...\n"
    "                                   decode MP3 files to WAV\n"
    "  normalize FILE.wav ...           normalise WAV files in place\n"
    "  make-demo-disc DIR               write the demo disc image (CUE and BIN) into DIR\n"
    "\n"
    "Options:\n"
    "  --image FILE   add a virtual drive for a CD image (CUE) and use it\n"
    "  --drive N      use drive N of the drive table\n"
    "  --quiet        no progress bar\n"
    "  --help         this text\n"
    "\n"
    "The app home is $KORVIDA_HOME when set, else ~/.config/korvida.\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 130 interrupted.\n";

using Command = int (*)(CliContext&);

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"settings", RunSettingsCommand},
        {"drives", RunDrivesCommand},
        {"make-demo-disc", RunMakeDemoDiscCommand},
        {"toc", RunTocCommand},
        {"info", RunInfoCommand},
        {"query", RunQueryCommand},
        {"submit", RunSubmitCommand},
        {"rip", RunRipCommand},
        {"encode", RunEncodeCommand},
        {"decode", RunDecodeCommand},
        {"normalize", RunNormalizeCommand},
    };
    return commands;
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

void StderrNotifier::ShowMessage(const std::string& text, Icon) {
    PrintError(text);
}

int Main(int argc, char** argv) {
    CliContext context;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (option == "--quiet") {
            context.quiet = true;
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
        std::cerr << kUsage;
        return kExitUsage;
    }
    const auto command = Commands().find(argv[i]);
    if (command == Commands().end()) {
        PrintError("unknown command " + std::string(argv[i]) + " (see --help)");
        return kExitUsage;
    }
    for (++i; i < argc; ++i) {
        const std::string arg = argv[i];
        // Common options may also follow the command.
        if (arg == "--quiet") {
            context.quiet = true;
        } else if (arg == "--image" && i + 1 < argc) {
            context.images.emplace_back(argv[++i]);
        } else if (arg == "--drive" && i + 1 < argc) {
            if (!ParseCliNumber(argv[++i], 0, 1000, &context.drive)) {
                PrintError("--drive needs a drive number, not " + std::string(argv[i]));
                return kExitUsage;
            }
        } else {
            context.args.push_back(arg);
        }
    }
    return command->second(context);
}

}  // namespace korvida::cli

int main(int argc, char** argv) {
    return korvida::cli::Main(argc, argv);
}
