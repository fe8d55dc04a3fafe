#include "core/settings/Settings.h"

#include <cctype>

#include "core/ini/ProfileFile.h"
#include "core/platform/AppHome.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/ProxyPassword.h"
#include "core/settings/SettingsKeys.h"

namespace korvida {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimBlanks(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

struct Loader {
    const ProfileFile& file;
    void Int(const char* section, const char* key, int& field, Clamp clamp) {
        field = clamp(file.GetInt(section, key, field));
    }
    void Str(const char* section, const char* key, std::string& field, std::size_t buffer) {
        field = file.GetString(section, key, field, buffer);
    }
};

struct Saver {
    ProfileFile& file;
    void Int(const char* section, const char* key, int& field, Clamp) {
        file.SetInt(section, key, field);
    }
    void Str(const char* section, const char* key, std::string& field, std::size_t) {
        file.SetString(section, key, field);
    }
};

bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

struct Finder {
    const std::string& section;
    const std::string& key;
    SettingField found;

    bool Matches(const char* s, const char* k) const {
        return !found && SameName(section, s) && SameName(key, k);
    }
    void Int(const char* s, const char* k, int& field, Clamp clamp) {
        if (Matches(s, k))
            found = SettingField{&field, nullptr, clamp, 0};
    }
    void Str(const char* s, const char* k, std::string& field, std::size_t buffer) {
        if (Matches(s, k))
            found = SettingField{nullptr, &field, nullptr, buffer};
    }
};

// Settings whose value is derived after the plain load: the defaults that depend on the
// machine, and the clamps that are not about an integer range.
void ApplyStringClamps(Settings& s) {
    if (s.ReplaceStr[9].empty())
        s.ReplaceStr[9].assign(1, ' ');
    if (TrimBlanks(s.TEMPDIRECTORY).empty())
        s.TEMPDIRECTORY = SystemTempFolder();
}

}  // namespace

Settings Settings::Defaults() {
    Settings s;
    s.OutputFolder = DefaultOutputFolder();
    s.TEMPDIRECTORY = SystemTempFolder();
    return s;
}

Settings& TheSettings() {
    static Settings settings = Settings::Defaults();
    return settings;
}

std::string SettingsPath() {
    return AppHome() + "Settings.ini";
}

bool LoadSettings(Settings& settings, const std::string& path, std::string* errorText) {
    settings = Settings::Defaults();
    ProfileFile file;
    const bool ok = file.Load(path, errorText);
    VisitSettingsKeys(settings, Loader{file});
    settings.ProxyPassword = ReadProxyPassword(file);
    ApplyStringClamps(settings);
    return ok;
}

bool SaveSettings(const Settings& settings, const std::string& path, std::string* errorText) {
    ProfileFile file;
    // A file we cannot read is not overwritten: its lines would be lost.
    if (!file.Load(path, errorText))
        return false;
    Settings copy = settings;
    VisitSettingsKeys(copy, Saver{file});
    WriteProxyPassword(file, settings.ProxyPassword);
    return file.Save(path, errorText);
}

std::string SettingsText(const Settings& settings) {
    ProfileFile file;
    Settings copy = settings;
    VisitSettingsKeys(copy, Saver{file});
    WriteProxyPassword(file, settings.ProxyPassword);
    return file.Text();
}

SettingField FindSetting(Settings& settings, const std::string& section, const std::string& key) {
    Finder finder{section, key, {}};
    VisitSettingsKeys(settings, finder);
    return finder.found;
}

bool SetSettingByName(Settings& settings, const std::string& section, const std::string& key,
                      const std::string& value, std::string* errorText) {
    if (SameName(section, "CDDB") && SameName(key, "ProxyPassword")) {
        settings.ProxyPassword = value;
        return true;
    }
    const SettingField field = FindSetting(settings, section, key);
    std::string error;
    int parsed = 0;
    if (!field)
        error = "unknown setting: " + section + "." + key;
    else if (field.text)
        *field.text = value.substr(0, field.buffer - 1);
    else if (!ParseLeadingInt(value, &parsed) || std::to_string(parsed) != TrimBlanks(value))
        error = section + "." + key + ": not a number: " + value;
    else
        *field.integer = field.clamp(parsed);
    if (!error.empty()) {
        if (errorText)
            *errorText = error;
        return false;
    }
    ApplyStringClamps(settings);
    return true;
}

std::string NormalizedFolder(const std::string& folder) {
    std::string path = TrimBlanks(folder);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path + '/';
}

void PrepareFolders(Settings& settings, UserNotifier& notifier) {
    // An empty setting would name the root folder; it gets the fallback instead.
    const auto tryCreate = [](const std::string& folder) {
        return !TrimBlanks(folder).empty() && MakeSureDirectoryPathExists(NormalizedFolder(folder));
    };
    if (!tryCreate(settings.OutputFolder)) {
        const std::string fallback = DefaultOutputFolder();
        if (tryCreate(fallback))
            settings.OutputFolder = fallback;
        else
            notifier.ShowMessage("不能打开输出目录！");
    }
    if (!tryCreate(settings.TEMPDIRECTORY)) {
        const std::string fallback = SystemTempFolder();
        if (tryCreate(fallback))
            settings.TEMPDIRECTORY = fallback;
        else
            notifier.ShowMessage("不能打开临时目录！");
    }
}

}  // namespace korvida
