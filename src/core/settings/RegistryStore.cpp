#include "core/settings/RegistryStore.h"

#include <cstdio>
#include <cstdlib>

#include "core/ini/ProfileFile.h"
#include "core/platform/AppHome.h"
#include "core/platform/RunCommand.h"

namespace korvida {
namespace {

constexpr char kColorSection[] = "HKEY_CURRENT_USER\\Software\\Korvida";
constexpr char kColorValue[] = "CustomColor";
constexpr char kAutoplaySection[] = "HKEY_CLASSES_ROOT\\AudioCD\\Shell";
constexpr char kAutoplayValue[] = "Default";
constexpr std::size_t kStoredColors = 12;  // 48 bytes

// GNOME keeps a list of content types it ignores on insertion; an audio CD is
// "x-content/audio-cdda". An empty verb puts it on the list, any other verb takes it off.
constexpr char kSchema[] = "org.gnome.desktop.media-handling";
constexpr char kIgnoreKey[] = "autorun-x-content-ignore";
constexpr char kAudioCd[] = "x-content/audio-cdda";

std::string Gsettings() {
    const char* custom = std::getenv("KORVIDA_GSETTINGS");
    return custom && *custom ? custom : "gsettings";
}

bool DesktopIgnoreList(std::string* list) {
    if (!RunCommand({Gsettings(), "get", kSchema, kIgnoreKey}, list))
        return false;
    while (!list->empty() && (list->back() == '\n' || list->back() == ' '))
        list->pop_back();
    return true;
}

// Rewrites a GVariant string array ("['a', 'b']" or "@as []") with or without the
// audio-CD entry.
std::string WithAudioCd(const std::string& list, bool ignore) {
    std::string items;
    std::size_t pos = 0;
    while ((pos = list.find('\'', pos)) != std::string::npos) {
        const std::size_t end = list.find('\'', pos + 1);
        if (end == std::string::npos)
            break;
        const std::string item = list.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (item == kAudioCd)
            continue;
        items += (items.empty() ? "'" : ", '") + item + "'";
    }
    if (ignore)
        items += (items.empty() ? "'" : ", '") + std::string(kAudioCd) + "'";
    return "[" + items + "]";
}

}  // namespace

RegistryStore::RegistryStore() : path_(AppHome() + "registry.ini") {}
RegistryStore::RegistryStore(std::string path) : path_(std::move(path)) {}

std::array<std::uint32_t, 16> RegistryStore::ReadCustomColors() const {
    std::array<std::uint32_t, 16> colors;
    colors.fill(0xFFFFFF);
    ProfileFile file;
    if (!file.Load(path_))
        return colors;
    const std::string hex = file.GetString(kColorSection, kColorValue, "");
    if (hex.size() != kStoredColors * 8)
        return colors;
    for (std::size_t i = 0; i < kStoredColors; ++i) {
        // Stored as the 48 bytes in memory order (little-endian), two hex digits a byte.
        std::uint32_t value = 0;
        for (int b = 3; b >= 0; --b) {
            unsigned byte = 0;
            if (std::sscanf(hex.c_str() + i * 8 + static_cast<std::size_t>(b) * 2, "%2x", &byte) !=
                1)
                return colors;
            value = value << 8 | byte;
        }
        colors[i] = value;
    }
    return colors;
}

bool RegistryStore::WriteCustomColors(const std::array<std::uint32_t, 16>& colors) const {
    ProfileFile file;
    if (!file.Load(path_))
        return false;
    std::string hex;
    for (std::size_t i = 0; i < kStoredColors; ++i) {
        for (int b = 0; b < 4; ++b) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", (colors[i] >> (8 * b)) & 0xFF);
            hex += digits;
        }
    }
    file.SetString(kColorSection, kColorValue, hex);
    return file.Save(path_);
}

bool RegistryStore::ReadAutoplayVerb(std::string* verb) const {
    ProfileFile file;
    if (file.Load(path_) && file.HasSection(kAutoplaySection)) {
        *verb = file.GetString(kAutoplaySection, kAutoplayValue, "", 257);
        return true;
    }
    std::string list;
    if (!DesktopIgnoreList(&list))
        return false;
    *verb = list.find(std::string("'") + kAudioCd + "'") == std::string::npos ? "Play" : "";
    return true;
}

bool RegistryStore::WriteAutoplayVerb(const std::string& verb) const {
    ProfileFile file;
    if (!file.Load(path_))
        return false;
    std::string list;
    const bool desktop = DesktopIgnoreList(&list);
    if (!desktop && !file.HasSection(kAutoplaySection))
        return false;
    if (desktop)
        RunCommand({Gsettings(), "set", kSchema, kIgnoreKey, WithAudioCd(list, verb.empty())});
    file.SetString(kAutoplaySection, kAutoplayValue, verb);
    return file.Save(path_);
}

}  // namespace korvida
