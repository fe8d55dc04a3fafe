#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korvida {

// The few values other systems keep in a registry, kept in registry.ini in the app home:
// the colour chooser's custom colours and the audio-CD autoplay verb. The verb also
// drives the desktop where it offers a setting for it (GNOME's media handling through
// gsettings; $KORVIDA_GSETTINGS names another gsettings program, for tests), otherwise it
// is only stored.
class RegistryStore {
  public:
    // registry.ini in the app home.
    RegistryStore();
    explicit RegistryStore(std::string path);

    // The 16 custom colours (0x00BBGGRR). The first 12 are stored (48 bytes); the rest,
    // and all of them when nothing is stored, are white.
    std::array<std::uint32_t, 16> ReadCustomColors() const;
    bool WriteCustomColors(const std::array<std::uint32_t, 16>& colors) const;

    // The autoplay verb of audio CDs. The "key" exists when registry.ini has its section
    // or the desktop has an autoplay setting; otherwise reads fail and writes do nothing
    // (false), as the key is never created out of nothing.
    bool ReadAutoplayVerb(std::string* verb) const;
    bool WriteAutoplayVerb(const std::string& verb) const;

  private:
    std::string path_;
};

}  // namespace korvida
