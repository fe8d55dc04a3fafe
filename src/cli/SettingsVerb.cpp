#include <strings.h>

#include <cstdio>
#include <iostream>

#include "cli/CliContext.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"

namespace korvida::cli {

// `settings` prints what was loaded; `settings --set Section.Key=Value …` checks the values
// as the options sheet does and saves the keys it changed into Settings.ini, keeping the
// file's other lines and what another program stored meanwhile. One refused value and
// nothing is stored.
int RunSettingsCommand(CliContext& context) {
    Settings& settings = TheSettings();
    const std::string path = SettingsPath();
    std::string error;
    if (!LoadSettings(settings, path, &error)) {
        PrintError("cannot read " + error);
        return kExitFailed;
    }
    if (context.args.empty()) {
        std::cout << SettingsText(settings);
        return kExitOk;
    }
    const Settings loaded = settings;
    std::vector<std::string> pairs;
    if (!CollectSetPairs(context.args, 0, pairs, error))
        return UsageError(context, error);
    static const char* const kSections[] = {"MP3",        "General", "CDROM", "COLOR", "Misc",
                                            "Ogg Vorbis", "CDDB",    "FLAC",  "Opus"};
    for (const std::string& arg : pairs) {
        const auto eq = arg.find('=');
        // Keys may hold dots themselves ("Orig.Artist"), so the section is matched by name.
        std::string section, key;
        for (const char* s : kSections) {
            const std::string prefix = std::string(s) + ".";
            if (eq != std::string::npos && arg.size() > prefix.size() &&
                strncasecmp(arg.c_str(), prefix.c_str(), prefix.size()) == 0) {
                section = s;
                key = arg.substr(prefix.size(), eq - prefix.size());
            }
        }
        if (section.empty() || key.empty())
            return UsageError(context, "not Section.Key=Value: " + arg);
        if (!SetSettingByName(settings, section, key, arg.substr(eq + 1), &error))
            return UsageError(context, error);
    }
    if (!SaveSettingsChanges(settings, loaded, path, &error)) {
        PrintError("cannot write " + error);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace korvida::cli
