#pragma once

#include <string>

#include "core/settings/SettingRules.h"
#include "core/settings/Settings.h"

namespace korvida {

// Visits every key of Settings.ini in the order it is read, with its section, its field
// and its rule (SettingRules.h), so load, save, the CLI and the options sheet share one
// table. A visitor has:
//   void Int(const char* section, const char* key, int& field, const IntRule& rule);
//   void Str(const char* section, const char* key, std::string& field, const TextRule& rule);
template <class Visitor>
void VisitSettingsKeys(Settings& s, Visitor&& v) {
    using Check = TextRule::Check;
    constexpr Clamp none = [](int x) { return x; };
    constexpr std::size_t kGeneral = 2500;  // buffer sizes of the string reads
    constexpr std::size_t kCddb = 1024;
    // Switches: a check box stores 0 or 1.
    constexpr IntRule kSwitch{none, 0, 1};
    // Windows colour values 0x00BBGGRR, as the colour chooser gives them.
    constexpr IntRule kColor{none, 0, 0xFFFFFF};
    // Frames per audio read, the CD-ROM page's ceiling: each read is one READ CD of
    // that many frames (16-bit count) in one SG_IO request of 255 × 2352 = 599,760 bytes,
    // which SATA and SAS hosts take whole. Larger values only failed later, after the
    // read buffer was allocated (2.3 GB for 1,000,000).
    constexpr int kMaxBufferFrames = 255;
    // ReadSpeed in ×: 72× is beyond any CD drive made.
    constexpr int kMaxReadSpeed = 72;

    v.Int("MP3", "MP3Encoder", s.MP3Encoder, {[](int x) { return x != 0 ? 0 : x; }, 0, 0});
    v.Str("General", "OutputFolder", s.OutputFolder, {kGeneral, 200, Check::kOutputFolder});
    v.Int("General", "OutputFormat", s.OutputFormat,
          {[](int x) { return x < 0 || x > 4 ? 0 : x; }, 0, 4});
    v.Int("MP3", "BitRate", s.BitRate, {[](int x) { return x < 0 || x > 13 ? 8 : x; }, 0, 13});
    v.Int("MP3", "EnableID3", s.EnableID3, kSwitch);
    v.Int("MP3", "EnableID3V2", s.EnableID3V2, kSwitch);
    v.Int("MP3", "EnableVBR", s.EnableVBR, kSwitch);
    v.Int("MP3", "MaxBitRate", s.MaxBitRate,
          {[](int x) { return x < 0 || x > 13 ? 13 : x; }, 0, 13});
    v.Int("MP3", "MPEGQuality", s.MPEGQuality,
          {[](int x) { return x < 0 || x > 3 ? 2 : x; }, 0, 3});
    v.Int("MP3", "VBRQuality", s.VBRQuality, {[](int x) { return x < 0 || x > 8 ? 4 : x; }, 0, 8});
    v.Int("MP3", "Copyright", s.Copyright, kSwitch);
    v.Int("MP3", "Original", s.Original, kSwitch);
    v.Int("MP3", "Private", s.Private, kSwitch);
    v.Int("MP3", "WriteVBRHeader", s.WriteVBRHeader, kSwitch);
    // The sheet offers dual channel (2); the file reads it as stereo.
    v.Int("MP3", "StereoMode", s.StereoMode, {[](int x) { return x > 1 ? 0 : x; }, 0, 2});

    // A negative drive index is mended here; one past the drive table after discovery.
    v.Int("CDROM", "CDROMDriver", s.CDROMDriver, {[](int x) { return x < 0 ? 0 : x; }});
    v.Int("CDROM", "DeleteSilence", s.DeleteSilence, kSwitch);
    v.Int("CDROM", "LeadingFrame", s.LeadingFrame, {none, 0, 15000});
    v.Int("CDROM", "TrailingFrame", s.TrailingFrame, {none, 0, 15000});
    v.Int("CDROM", "RetryTimes", s.RetryTimes, {[](int x) { return x <= 0 ? 5 : x; }, 1, 100});
    v.Int("CDROM", "DisableAutoPlay", s.DisableAutoPlay, kSwitch);
    v.Int("CDROM", "StopPlayExit", s.StopPlayExit, {none});
    v.Int("CDROM", "BufferSize", s.BufferSize,
          {[](int x) { return x <= 0 ? 26 : x; }, 1, kMaxBufferFrames});
    v.Int("CDROM", "DeviceType", s.DeviceType,
          {[](int x) { return x < 0 || x > 11 ? 0 : x; }, 0, 11});
    v.Str("CDROM", "Images", s.Images, {kGeneral});
    v.Int("CDROM", "DigitalPlayback", s.DigitalPlayback,
          {[](int x) { return x != 0 ? 1 : 0; }, 0, 1});

    v.Int("COLOR", "TextColor", s.TextColor, kColor);
    v.Int("COLOR", "TextSelColor", s.TextSelColor, kColor);
    v.Int("COLOR", "BackgroundColor", s.BackgroundColor, kColor);
    v.Int("COLOR", "StatusLineColor", s.StatusLineColor, kColor);
    v.Int("COLOR", "TextShadowColor", s.TextShadowColor, kColor);
    v.Int("COLOR", "BoolShadowColor", s.BoolShadowColor, kSwitch);

    v.Str("Misc", "MP3Player", s.MP3Player, {kGeneral, 250});
    v.Str("Misc", "MP3PlayerParameters", s.MP3PlayerParameters, {kGeneral, 100});
    static const char* const kReplace[] = {
        "ReplaceStr01", "ReplaceStr02", "ReplaceStr03", "ReplaceStr04", "ReplaceStr05",
        "ReplaceStr06", "ReplaceStr07", "ReplaceStr08", "ReplaceStr09", "ReplaceStr10"};
    for (int i = 0; i < 10; ++i)
        v.Str("Misc", kReplace[i], s.ReplaceStr[i], {kGeneral, 6});
    v.Str("Misc", "NamingRule", s.NamingRule, {kGeneral, 255, Check::kNamingRule});
    v.Int("Misc", "WindowWidth", s.WindowWidth, {[](int x) {
              return x < 420 ? 420 : x > 800 ? 600 : x;
          }});
    v.Int("Misc", "WindowHeight", s.WindowHeight, {[](int x) {
              return x < 352 ? 352 : x >= 600 ? 380 : x;
          }});
    v.Int("Misc", "WindowLeft", s.WindowLeft, {[](int x) { return x <= 0 || x >= 380 ? 130 : x; }});
    v.Int("Misc", "WindowTop", s.WindowTop, {[](int x) { return x <= 0 || x >= 248 ? 90 : x; }});
    static const char* const kColumn[] = {"ColumnWidth1", "ColumnWidth2", "ColumnWidth3",
                                          "ColumnWidth4"};
    for (int i = 0; i < 4; ++i)
        v.Int("Misc", kColumn[i], s.ColumnWidth[i], {none});
    v.Int("Misc", "BoolSkipError", s.BoolSkipError, kSwitch);
    v.Int("Misc", "ThreadPriority", s.ThreadPriority, {none, 0, 4});
    v.Int("Misc", "EncoderThreads", s.EncoderThreads,
          {[](int x) { return x < 0 || x > 64 ? 0 : x; }, 0, 64});
    v.Int("Misc", "Normalize", s.Normalize, kSwitch);
    v.Int("Misc", "NormalizeRatio", s.NormalizeRatio,
          {[](int x) { return x < 1 || x > 100 ? 95 : x; }, 1, 100});
    v.Int("Misc", "AutoLoadCDPlayerINI", s.AutoLoadCDPlayerINI, kSwitch);
    v.Str("Misc", "TEMPDIRECTORY", s.TEMPDIRECTORY, {kGeneral, 0, Check::kTempFolder});

    v.Int("Ogg Vorbis", "Quality", s.ogg.Quality, {none, 1, 100});
    v.Int("Ogg Vorbis", "Title", s.ogg.Title, kSwitch);
    v.Int("Ogg Vorbis", "Artist", s.ogg.Artist, kSwitch);
    v.Int("Ogg Vorbis", "Album", s.ogg.Album, kSwitch);
    v.Int("Ogg Vorbis", "Year", s.ogg.Year, kSwitch);
    v.Int("Ogg Vorbis", "Genre", s.ogg.Genre, kSwitch);
    v.Int("Ogg Vorbis", "Comment", s.ogg.Comment, kSwitch);
    v.Int("Ogg Vorbis", "Composer", s.ogg.Composer, kSwitch);
    v.Int("Ogg Vorbis", "Orig.Artist", s.ogg.OrigArtist, kSwitch);
    v.Int("Ogg Vorbis", "Copyright", s.ogg.Copyright, kSwitch);
    v.Int("Ogg Vorbis", "URL", s.ogg.URL, kSwitch);
    v.Int("Ogg Vorbis", "EncodedBy", s.ogg.EncodedBy, kSwitch);
    v.Int("Ogg Vorbis", "TrackNo", s.ogg.TrackNo, kSwitch);

    v.Str("CDDB", "Server", s.Server, {kCddb});
    v.Str("CDDB", "QueryScript", s.QueryScript, {kCddb});
    v.Str("CDDB", "SubmitScript", s.SubmitScript, {kCddb});
    v.Str("CDDB", "Email", s.Email, {kCddb});
    v.Int("CDDB", "bProxy", s.bProxy, kSwitch);
    v.Str("CDDB", "ProxyServer", s.ProxyServer, {kCddb});
    v.Int("CDDB", "ProxyPort", s.ProxyPort, {none, 0, 65535});
    v.Int("CDDB", "ProxyAuthorization", s.ProxyAuthorization, kSwitch);
    v.Str("CDDB", "ProxyUsername", s.ProxyUsername, {kCddb});

    v.Int("Misc", "bUseASPI", s.bUseASPI, kSwitch);
    v.Int("Misc", "AutoSelectAll", s.AutoSelectAll, kSwitch);
    v.Int("Misc", "bOpenOutputFolder", s.bOpenOutputFolder, kSwitch);

    // Keys beyond the original program's, each with a default that keeps its files as
    // they were.
    v.Int("CDROM", "ReadOffset", s.ReadOffset, {none, -5000, 5000});
    v.Int("CDROM", "TestAndCopy", s.TestAndCopy, kSwitch);
    v.Int("CDROM", "ReadSpeed", s.ReadSpeed, {none, 0, kMaxReadSpeed});
    v.Int("CDROM", "SecureMode", s.SecureMode,
          {[](int x) { return x < 0 || x > 2 ? 0 : x; }, 0, 2});
    v.Int("CDROM", "SecureRereads", s.SecureRereads,
          {[](int x) { return x < 2     ? 2
                              : x > 100 ? 100
                                        : x; }, 2, 100});
    v.Str("MusicBrainz", "Server", s.MusicBrainzServer, {kCddb, 255});
    v.Int("MusicBrainz", "CoverArt", s.CoverArt, kSwitch);
    v.Str("MusicBrainz", "CoverArtServer", s.CoverArtServer, {kCddb, 255});
    v.Int("MusicBrainz", "CoverFile", s.CoverFile, kSwitch);
    v.Int("AccurateRip", "Verify", s.AccurateRipVerify, kSwitch);
    v.Int("AccurateRip", "Lookup", s.AccurateRipLookup, kSwitch);
    v.Int("AccurateRip", "WriteLog", s.AccurateRipWriteLog, kSwitch);
    v.Str("AccurateRip", "Server", s.AccurateRipServer, {kCddb, 255});
    v.Int("CTDB", "Verify", s.CtdbVerify, kSwitch);
    v.Int("CTDB", "Lookup", s.CtdbLookup, kSwitch);
    v.Str("CTDB", "Server", s.CtdbServer, {kCddb, 255});
    v.Int("FLAC", "Level", s.FlacLevel, {[](int x) { return x < 0 || x > 8 ? 5 : x; }, 0, 8});
    v.Int("Opus", "Bitrate", s.OpusBitrate,
          {[](int x) { return x < 6 || x > 510 ? 160 : x; }, 6, 510});
    v.Int("Misc", "ReplayGain", s.ReplayGain, kSwitch);
    v.Str("Misc", "Language", s.Language, {kGeneral, 4, Check::kLanguage});
    v.Int("CDROM", "DetectGaps", s.DetectGaps, kSwitch);
    v.Int("CDROM", "HiddenTrack", s.HiddenTrack, kSwitch);
    v.Int("CDROM", "DeEmphasis", s.DeEmphasis, kSwitch);
    v.Int("Misc", "WholeDiscImage", s.WholeDiscImage, kSwitch);
}

// One key of the table found by its section and key name (case-insensitive): exactly one
// of `integer` and `text` points into the settings, or neither when there is no such key.
// The options sheet binds its controls this way, so it keeps no list of keys of its own.
struct SettingField {
    int* integer = nullptr;
    std::string* text = nullptr;
    IntRule intRule;    // integers
    TextRule textRule;  // texts
    explicit operator bool() const { return integer || text; }
};
SettingField FindSetting(Settings& settings, const std::string& section, const std::string& key);

// Sets one setting by its section and key name (case-insensitive), as `korvida-cli
// settings --set` does: a value the key's rule refuses is not set, and *errorText is the
// options sheet's text for it; a key without a range takes its load clamp.
// "CDDB"/"ProxyPassword" sets the proxy password. False with *errorText also for an
// unknown key or an integer key given no number.
bool SetSettingByName(Settings& settings, const std::string& section, const std::string& key,
                      const std::string& value, std::string* errorText);

}  // namespace korvida
