#include "core/settings/Settings.h"

#include <cctype>
#include <type_traits>

#include "core/ini/ProfileFile.h"
#include "core/ini/ProfileLock.h"
#include "core/platform/AppHome.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/ProxyPassword.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Translate.h"

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

// The whole value is the number, nothing trailing. A leading "+" is taken because
// read offsets are written with their sign everywhere (drive offset tables, our log).
bool IsWholeNumber(const std::string& value, int parsed) {
    std::string text = TrimBlanks(value);
    if (text.size() > 1 && text[0] == '+' && text[1] >= '0' && text[1] <= '9')
        text.erase(0, 1);
    return std::to_string(parsed) == text;
}

// Fields hold their defaults when visited: a value the rules refuse leaves the default.
struct Loader {
    const ProfileFile& file;
    void Int(const char* section, const char* key, int& field, const IntRule& rule) {
        const int value = rule.clamp(file.GetInt(section, key, field));
        if (rule.Accepts(value))
            field = value;
    }
    void Str(const char* section, const char* key, std::string& field, const TextRule& rule) {
        if (!file.HasKey(section, key))
            return;
        if (auto value = LoadedTextSetting(rule, file.GetString(section, key, "", rule.buffer)))
            field = std::move(*value);
    }
};

struct Saver {
    ProfileFile& file;
    void Int(const char* section, const char* key, int& field, const IntRule&) {
        file.SetInt(section, key, field);
    }
    void Str(const char* section, const char* key, std::string& field, const TextRule&) {
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
    void Int(const char* s, const char* k, int& field, const IntRule& rule) {
        if (Matches(s, k))
            found = SettingField{&field, nullptr, rule, {}};
    }
    void Str(const char* s, const char* k, std::string& field, const TextRule& rule) {
        if (Matches(s, k))
            found = SettingField{nullptr, &field, {}, rule};
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

void ReadSettings(Settings& settings, const ProfileFile& file) {
    settings = Settings::Defaults();
    VisitSettingsKeys(settings, Loader{file});
    settings.ProxyPassword = ReadProxyPassword(file);
    ApplyStringClamps(settings);
}

// Fields of `merged` (the file's values) take this program's value where it differs from
// what the program loaded.
struct Merger {
    Settings& mine;
    Settings& loaded;

    template <class Field>
    void Take(const char* section, const char* key, Field& field) {
        const SettingField m = FindSetting(mine, section, key);
        const SettingField l = FindSetting(loaded, section, key);
        if constexpr (std::is_same_v<Field, int>) {
            if (*m.integer != *l.integer)
                field = *m.integer;
        } else {
            if (*m.text != *l.text)
                field = *m.text;
        }
    }
    void Int(const char* section, const char* key, int& field, const IntRule&) {
        Take(section, key, field);
    }
    void Str(const char* section, const char* key, std::string& field, const TextRule&) {
        Take(section, key, field);
    }
};

// Under the lock, writes every key of the settings `merge` makes of the file as it is now.
template <class Merge>
bool SaveLocked(const std::string& path, std::string* errorText, Merge merge) {
    const ProfileLock lock = ProfileLock::Acquire(path, errorText);
    if (!lock.held())
        return false;
    ProfileFile file;
    // A file we cannot read is not overwritten: its lines would be lost.
    if (!file.Load(path, errorText))
        return false;
    Settings values = merge(file);
    VisitSettingsKeys(values, Saver{file});
    WriteProxyPassword(file, values.ProxyPassword);
    return file.Save(path, errorText);
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
    ProfileFile file;
    const bool ok = file.Load(path, errorText);
    ReadSettings(settings, file);
    return ok;
}

bool SaveSettings(const Settings& settings, const std::string& path, std::string* errorText) {
    return SaveLocked(path, errorText, [&](const ProfileFile&) { return settings; });
}

bool SaveSettingsChanges(const Settings& settings, const Settings& loaded, const std::string& path,
                         std::string* errorText) {
    return SaveLocked(path, errorText, [&](const ProfileFile& file) {
        Settings merged;
        ReadSettings(merged, file);
        Settings mine = settings;
        Settings base = loaded;
        VisitSettingsKeys(merged, Merger{mine, base});
        if (settings.ProxyPassword != loaded.ProxyPassword)
            merged.ProxyPassword = settings.ProxyPassword;
        return merged;
    });
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
    const std::string name = section + "." + key;
    std::string error;
    int parsed = 0;
    if (!field) {
        error = Tr("没有这个设置: ") + name;
    } else if (field.text) {
        TextSetting checked = CheckTextSetting(field.textRule, value);
        if (checked.accepted)
            *field.text = std::move(checked.value);
        else
            error = name + ": " + checked.message;
    } else if (!ParseLeadingInt(value, &parsed) || !IsWholeNumber(value, parsed)) {
        error = name + Tr(": 不是整数: ") + value;
    } else if (!field.intRule.Ranged()) {
        *field.integer = field.intRule.clamp(parsed);
    } else if (auto outside = CheckRange(parsed, field.intRule.lo, field.intRule.hi)) {
        error = name + ": " + *outside;
    } else {
        *field.integer = parsed;
    }
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
            notifier.ShowMessage(Tr("不能打开输出目录！"));
    }
    if (!tryCreate(settings.TEMPDIRECTORY)) {
        const std::string fallback = SystemTempFolder();
        if (tryCreate(fallback))
            settings.TEMPDIRECTORY = fallback;
        else
            notifier.ShowMessage(Tr("不能打开临时目录！"));
    }
}

}  // namespace korvida
