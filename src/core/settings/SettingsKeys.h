#pragma once

#include <string>

#include "core/settings/Settings.h"

namespace korvida {

// Replaces a value read from Settings.ini that is out of range; identity when none.
using Clamp = int (*)(int);

// Visits every key of Settings.ini in the order it is read, with its section, its field
// and (for integers) the clamp applied when it is loaded, so load, save, the CLI and
// the options sheet share one table. A visitor has:
//   void Int(const char* section, const char* key, int& field, Clamp clamp);
//   void Str(const char* section, const char* key, std::string& field, std::size_t buffer);
template <class Visitor>
void VisitSettingsKeys(Settings& s, Visitor&& v) {
    constexpr Clamp none = [](int x) { return x; };
    constexpr std::size_t kGeneral = 2500;  // buffer sizes of the string reads
    constexpr std::size_t kCddb = 1024;

    v.Int("MP3", "MP3Encoder", s.MP3Encoder, [](int x) { return x != 0 ? 0 : x; });
    v.Str("General", "OutputFolder", s.OutputFolder, kGeneral);
    v.Int("General", "OutputFormat", s.OutputFormat, [](int x) { return x < 0 || x > 2 ? 0 : x; });
    v.Int("MP3", "BitRate", s.BitRate, [](int x) { return x < 0 || x > 13 ? 8 : x; });
    v.Int("MP3", "EnableID3", s.EnableID3, none);
    v.Int("MP3", "EnableID3V2", s.EnableID3V2, none);
    v.Int("MP3", "EnableVBR", s.EnableVBR, none);
    v.Int("MP3", "MaxBitRate", s.MaxBitRate, [](int x) { return x < 0 || x > 13 ? 13 : x; });
    v.Int("MP3", "MPEGQuality", s.MPEGQuality, [](int x) { return x < 0 || x > 3 ? 2 : x; });
    v.Int("MP3", "VBRQuality", s.VBRQuality, [](int x) { return x < 0 || x > 8 ? 4 : x; });
    v.Int("MP3", "Copyright", s.Copyright, none);
    v.Int("MP3", "Original", s.Original, none);
    v.Int("MP3", "Private", s.Private, none);
    v.Int("MP3", "WriteVBRHeader", s.WriteVBRHeader, none);
    v.Int("MP3", "StereoMode", s.StereoMode, [](int x) { return x > 1 ? 0 : x; });

    // A negative drive index is mended here; one past the drive table after discovery.
    v.Int("CDROM", "CDROMDriver", s.CDROMDriver, [](int x) { return x < 0 ? 0 : x; });
    v.Int("CDROM", "DeleteSilence", s.DeleteSilence, none);
    v.Int("CDROM", "LeadingFrame", s.LeadingFrame, none);
    v.Int("CDROM", "TrailingFrame", s.TrailingFrame, none);
    v.Int("CDROM", "RetryTimes", s.RetryTimes, [](int x) { return x <= 0 ? 5 : x; });
    v.Int("CDROM", "DisableAutoPlay", s.DisableAutoPlay, none);
    v.Int("CDROM", "StopPlayExit", s.StopPlayExit, none);
    v.Int("CDROM", "BufferSize", s.BufferSize, [](int x) { return x <= 0 ? 26 : x; });
    v.Int("CDROM", "DeviceType", s.DeviceType, [](int x) { return x < 0 || x > 11 ? 0 : x; });
    v.Str("CDROM", "Images", s.Images, kGeneral);
    v.Int("CDROM", "DigitalPlayback", s.DigitalPlayback, [](int x) { return x != 0 ? 1 : 0; });

    v.Int("COLOR", "TextColor", s.TextColor, none);
    v.Int("COLOR", "TextSelColor", s.TextSelColor, none);
    v.Int("COLOR", "BackgroundColor", s.BackgroundColor, none);
    v.Int("COLOR", "StatusLineColor", s.StatusLineColor, none);
    v.Int("COLOR", "TextShadowColor", s.TextShadowColor, none);
    v.Int("COLOR", "BoolShadowColor", s.BoolShadowColor, none);

    v.Str("Misc", "MP3Player", s.MP3Player, kGeneral);
    v.Str("Misc", "MP3PlayerParameters", s.MP3PlayerParameters, kGeneral);
    static const char* const kReplace[] = {
        "ReplaceStr01", "ReplaceStr02", "ReplaceStr03", "ReplaceStr04", "ReplaceStr05",
        "ReplaceStr06", "ReplaceStr07", "ReplaceStr08", "ReplaceStr09", "ReplaceStr10"};
    for (int i = 0; i < 10; ++i)
        v.Str("Misc", kReplace[i], s.ReplaceStr[i], kGeneral);
    v.Str("Misc", "NamingRule", s.NamingRule, kGeneral);
    v.Int("Misc", "WindowWidth", s.WindowWidth, [](int x) {
        return x < 420 ? 420 : x > 800 ? 600 : x;
    });
    v.Int("Misc", "WindowHeight", s.WindowHeight, [](int x) {
        return x < 352 ? 352 : x >= 600 ? 380 : x;
    });
    v.Int("Misc", "WindowLeft", s.WindowLeft, [](int x) { return x <= 0 || x >= 380 ? 130 : x; });
    v.Int("Misc", "WindowTop", s.WindowTop, [](int x) { return x <= 0 || x >= 248 ? 90 : x; });
    static const char* const kColumn[] = {"ColumnWidth1", "ColumnWidth2", "ColumnWidth3",
                                          "ColumnWidth4"};
    for (int i = 0; i < 4; ++i)
        v.Int("Misc", kColumn[i], s.ColumnWidth[i], none);
    v.Int("Misc", "BoolSkipError", s.BoolSkipError, none);
    v.Int("Misc", "ThreadPriority", s.ThreadPriority, none);
    v.Int("Misc", "Normalize", s.Normalize, none);
    v.Int("Misc", "NormalizeRatio", s.NormalizeRatio,
          [](int x) { return x < 1 || x > 100 ? 95 : x; });
    v.Int("Misc", "AutoLoadCDPlayerINI", s.AutoLoadCDPlayerINI, none);
    v.Str("Misc", "TEMPDIRECTORY", s.TEMPDIRECTORY, kGeneral);

    v.Int("Ogg Vorbis", "Quality", s.ogg.Quality, none);
    v.Int("Ogg Vorbis", "Title", s.ogg.Title, none);
    v.Int("Ogg Vorbis", "Artist", s.ogg.Artist, none);
    v.Int("Ogg Vorbis", "Album", s.ogg.Album, none);
    v.Int("Ogg Vorbis", "Year", s.ogg.Year, none);
    v.Int("Ogg Vorbis", "Genre", s.ogg.Genre, none);
    v.Int("Ogg Vorbis", "Comment", s.ogg.Comment, none);
    v.Int("Ogg Vorbis", "Composer", s.ogg.Composer, none);
    v.Int("Ogg Vorbis", "Orig.Artist", s.ogg.OrigArtist, none);
    v.Int("Ogg Vorbis", "Copyright", s.ogg.Copyright, none);
    v.Int("Ogg Vorbis", "URL", s.ogg.URL, none);
    v.Int("Ogg Vorbis", "EncodedBy", s.ogg.EncodedBy, none);
    v.Int("Ogg Vorbis", "TrackNo", s.ogg.TrackNo, none);

    v.Str("CDDB", "Server", s.Server, kCddb);
    v.Str("CDDB", "QueryScript", s.QueryScript, kCddb);
    v.Str("CDDB", "SubmitScript", s.SubmitScript, kCddb);
    v.Str("CDDB", "Email", s.Email, kCddb);
    v.Int("CDDB", "bProxy", s.bProxy, none);
    v.Str("CDDB", "ProxyServer", s.ProxyServer, kCddb);
    v.Int("CDDB", "ProxyPort", s.ProxyPort, none);
    v.Int("CDDB", "ProxyAuthorization", s.ProxyAuthorization, none);
    v.Str("CDDB", "ProxyUsername", s.ProxyUsername, kCddb);

    v.Int("Misc", "bUseASPI", s.bUseASPI, none);
    v.Int("Misc", "AutoSelectAll", s.AutoSelectAll, none);
    v.Int("Misc", "bOpenOutputFolder", s.bOpenOutputFolder, none);
}

// One key of the table found by its section and key name (case-insensitive): exactly one
// of `integer` and `text` points into the settings, or neither when there is no such key.
// The options sheet binds its controls this way, so it keeps no list of keys of its own.
struct SettingField {
    int* integer = nullptr;
    std::string* text = nullptr;
    Clamp clamp = nullptr;   // integers: the load clamp
    std::size_t buffer = 0;  // strings: the read buffer, terminator included
    explicit operator bool() const { return integer || text; }
};
SettingField FindSetting(Settings& settings, const std::string& section, const std::string& key);

// Sets one setting by its section and key name (case-insensitive), applying the load
// clamp, as `korvida-cli settings --set` does. "CDDB"/"ProxyPassword" sets the proxy
// password. False with *errorText for an unknown key or an integer key given no number.
bool SetSettingByName(Settings& settings, const std::string& section, const std::string& key,
                      const std::string& value, std::string* errorText);

}  // namespace korvida
