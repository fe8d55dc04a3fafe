#include <strings.h>

#include <algorithm>
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
    // The sections come from the key table, so a section added there is settable here.
    std::vector<std::string> sections;
    struct SectionVisitor {
        std::vector<std::string>& names;
        void Add(const char* section) {
            if (std::find(names.begin(), names.end(), section) == names.end())
                names.emplace_back(section);
        }
        void Int(const char* section, const char*, int&, const IntRule&) { Add(section); }
        void Str(const char* section, const char*, std::string&, const TextRule&) { Add(section); }
    };
    Settings scratch;
    VisitSettingsKeys(scratch, SectionVisitor{sections});
    for (const std::string& arg : pairs) {
        const auto eq = arg.find('=');
        // Keys may hold dots themselves ("Orig.Artist"), so the section is matched by name.
        std::string section, key;
        for (const std::string& s : sections) {
            const std::string prefix = s + ".";
            if (eq != std::string::npos && eq > prefix.size() &&
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
