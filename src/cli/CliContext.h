#pragma once

#include <string>
#include <vector>

#include "core/platform/UserNotifier.h"

namespace korvida::cli {

// Exit statuses every command shares.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Options common to every command, and the arguments left for the command itself.
struct CliContext {
    std::vector<std::string> images;  // --image FILE (repeatable)
    int drive = -1;                   // --drive N; -1 = the Settings.ini choice
    bool quiet = false;               // --quiet: no progress bar
    std::string command;              // the command's name
    std::vector<std::string> args;    // after the command name
};

// What the GUI shows in message boxes, the CLI writes to standard error.
class StderrNotifier : public UserNotifier {
  public:
    void ShowMessage(const std::string& text, Icon icon) override;
};

// A whole decimal number from min to max; false for anything else ("80abc", "").
bool ParseCliNumber(const std::string& text, long min, long max, int* value);

// Prints "korvida-cli: <text>" to standard error.
void PrintError(const std::string& text);

// Prints the problem (naming the argument that was wrong) and the command's usage to
// standard error; returns kExitUsage.
int UsageError(const CliContext& context, const std::string& problem);

// The Key=Value words of args[from...], which begins with "--set": the option may be
// repeated ("--set A=1 --set B=2") and one --set may take several words ("--set A=1 B=2").
// False with the problem named for anything that is not a pair.
bool CollectSetPairs(const std::vector<std::string>& args, std::size_t from,
                     std::vector<std::string>& pairs, std::string& problem);

int RunSettingsCommand(CliContext& context);
int RunDrivesCommand(CliContext& context);
int RunMakeDemoDiscCommand(CliContext& context);
int RunTocCommand(CliContext& context);
int RunInfoCommand(CliContext& context);
int RunQueryCommand(CliContext& context);
int RunSubmitCommand(CliContext& context);
int RunMusicBrainzCommand(CliContext& context);
int RunRipCommand(CliContext& context);
int RunEncodeCommand(CliContext& context);
int RunDecodeCommand(CliContext& context);
int RunNormalizeCommand(CliContext& context);
int RunVerifyLogCommand(CliContext& context);
int RunAccurateRipCommand(CliContext& context);
int RunVerifyCommand(CliContext& context);
int RunFindOffsetCommand(CliContext& context);

}  // namespace korvida::cli
