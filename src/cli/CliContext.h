#pragma once

#include <string>
#include <vector>

#include "core/jobs/UserNotifier.h"

namespace korvida::cli {

// Exit statuses every command shares.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;

// Options common to every command, and the arguments left for the command itself.
struct CliContext {
    std::vector<std::string> images;  // --image FILE (repeatable)
    int drive = -1;                   // --drive N; -1 = the Settings.ini choice
    bool quiet = false;               // --quiet: no progress bar
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

int RunSettingsCommand(CliContext& context);
int RunDrivesCommand(CliContext& context);
int RunMakeDemoDiscCommand(CliContext& context);
int RunTocCommand(CliContext& context);
int RunInfoCommand(CliContext& context);
int RunQueryCommand(CliContext& context);
int RunSubmitCommand(CliContext& context);
int RunRipCommand(CliContext& context);
int RunEncodeCommand(CliContext& context);
int RunDecodeCommand(CliContext& context);
int RunNormalizeCommand(CliContext& context);

}  // namespace korvida::cli
