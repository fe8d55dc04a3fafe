#pragma once

#include <array>
#include <string>

namespace korvida {

class UserNotifier;

// The Ogg Vorbis section: the quality and one switch per Vorbis comment.
struct OggVorbisSettings {
    int Quality = 50;
    int Title = 1;
    int Artist = 1;
    int Album = 1;
    int Year = 0;
    int Genre = 0;
    int Comment = 0;
    int Composer = 0;
    int OrigArtist = 0;  // key "Orig.Artist"
    int Copyright = 0;
    int URL = 0;
    int EncodedBy = 0;
    int TrackNo = 0;
};

// Every user setting, named by its Settings.ini key. One process-wide object
// (TheSettings) is loaded at start-up and saved at exit, and only the UI thread touches
// it: a job takes a copy when it starts (RipJob::settings), the drive its options
// (DriverOptions), a freedb request its server settings.
struct Settings {
    // [MP3]
    int MP3Encoder = 0;
    int BitRate = 8;
    int EnableID3 = 1;
    int EnableID3V2 = 1;
    int EnableVBR = 0;
    int MaxBitRate = 13;
    int MPEGQuality = 2;
    int VBRQuality = 4;
    int Copyright = 1;
    int Original = 1;
    int Private = 1;
    int WriteVBRHeader = 1;
    int StereoMode = 0;

    // [General]
    std::string OutputFolder;  // default: DefaultOutputFolder()
    int OutputFormat = 0;

    // [CDROM]
    int CDROMDriver = 0;
    int DeleteSilence = 0;
    int LeadingFrame = 0;
    int TrailingFrame = 0;
    int RetryTimes = 5;
    int DisableAutoPlay = 1;
    int StopPlayExit = 1;
    int BufferSize = 26;
    int DeviceType = 0;
    // CD images (CUE sheets, separated by ';') that appear as drives after the real ones.
    std::string Images;
    // 1: a real drive's tracks are played by reading them and sending the samples to the
    // sound card, for drives without an analogue audio connection.
    int DigitalPlayback = 0;

    // [COLOR], Windows colour values 0x00BBGGRR
    int TextColor = 0xF8E1CB;
    int TextSelColor = 0xFFFF;
    int BackgroundColor = 0x804000;
    int StatusLineColor = 0xB4C8C8;
    int TextShadowColor = 0x141414;
    int BoolShadowColor = 1;

    // [Misc]
    std::string MP3Player;
    std::string MP3PlayerParameters;
    std::array<std::string, 10> ReplaceStr = {"#", "&", "#", "=", "#", "#", "#", "(", ")", " "};
    std::string NamingRule = "<number>-<title>";
    int WindowWidth = 580;
    int WindowHeight = 380;
    int WindowLeft = 130;
    int WindowTop = 90;
    std::array<int, 4> ColumnWidth = {60, 280, 80, 80};
    int BoolSkipError = 0;
    int ThreadPriority = 2;
    // Encoder workers behind the reader: 0 one per core, 1 read and encode in turn.
    int EncoderThreads = 0;
    int Normalize = 0;
    int NormalizeRatio = 95;
    int AutoLoadCDPlayerINI = 1;
    std::string TEMPDIRECTORY;  // default: SystemTempFolder()
    int bUseASPI = 0;
    int AutoSelectAll = 1;
    int bOpenOutputFolder = 0;
    // 1: ReplayGain track and album values in the tags of the encoded files
    int ReplayGain = 0;
    // The language of every text: "zh" (the program's own), "en", or "auto" (English
    // unless the locale asks for Chinese). Read at start: a change shows at the next one.
    std::string Language = "zh";

    // [Ogg Vorbis]
    OggVorbisSettings ogg;

    // [CDDB]
    std::string Server = "gnudb.gnudb.org";
    std::string QueryScript = "/~cddb/cddb.cgi";
    std::string SubmitScript = "/~cddb/submit.cgi";
    std::string Email = "user@example.com";
    int bProxy = 0;
    std::string ProxyServer;
    int ProxyPort = 80;
    int ProxyAuthorization = 0;
    std::string ProxyUsername;
    std::string ProxyPassword;  // stored scrambled as Proxy000, Proxy001, …

    // [CDROM], beside the keys above: what verified rips add. 0 keeps the bytes as read.
    int ReadOffset = 0;   // the drive's read offset in samples, corrected in extraction
    int TestAndCopy = 0;  // 1: each track is read twice and the two CRC32s compared
    // The read speed a rip asks the drive for, in multiples of 1× (176.4 kB/s); 0 asks
    // nothing and the drive reads as fast as it likes.
    int ReadSpeed = 0;
    // The disc as it is, beyond its TOC; all off by default, which rips as before.
    int DetectGaps = 0;      // 1: INDEX 00 and 02+ from the Q sub-channel before the rip
    int HiddenTrack = 0;     // 1: music before track 1 is ripped as track 0 (with DetectGaps)
    int DeEmphasis = 0;      // 1: tracks with pre-emphasis are de-emphasised before encoding
    int WholeDiscImage = 0;  // [Misc] 1: one WAV or FLAC of the whole disc with a cue sheet
    // Secure reads: 0 reads every chunk once; 1 reads it twice with the drive's cache
    // defeated in between and re-reads the sectors that differ; 2 reads it once with the
    // drive's C2 error pointers and re-reads the flagged sectors.
    int SecureMode = 0;
    int SecureRereads = 16;  // re-reads of one sector before it is called suspicious

    // [MusicBrainz]
    std::string MusicBrainzServer = "https://musicbrainz.org";
    int CoverArt = 1;  // fetch the front cover after a match
    std::string CoverArtServer = "https://coverartarchive.org";
    int CoverFile = 0;  // 1: also save it as cover.jpg in the album's output folder

    // [AccurateRip]
    int AccurateRipVerify = 1;    // checksums while extracting, and the lookup
    int AccurateRipLookup = 1;    // 0: checksums only, nothing is sent
    int AccurateRipWriteLog = 0;  // 1: the rip log and the cue sheet in the output folder
    std::string AccurateRipServer = "www.accuraterip.com";
    // [CTDB]: the second database, looked up beside AccurateRip by the same rules
    int CtdbVerify = 1;  // its checksums while extracting, and the lookup
    int CtdbLookup = 1;  // 0: checksums only, nothing is sent
    std::string CtdbServer = "http://db.cuetools.net";

    // [FLAC] and [Opus]: the formats beside MP3, WAV and Ogg Vorbis. Their comments
    // follow the Ogg Vorbis section's switches.
    int FlacLevel = 5;      // compression level, 0 (fastest) to 8 (smallest)
    int OpusBitrate = 160;  // kbit/s, 6 to 510

    // Defaults that depend on the machine (app home, temporary folder) filled in.
    static Settings Defaults();
};

// The process-wide settings.
Settings& TheSettings();

// Path of Settings.ini in the app home.
std::string SettingsPath();

// Loads every key in its read order, with defaults and clamps, from `path`; a value the
// key's rule refuses (SettingRules.h) reads as its default. A missing or unreadable file
// gives the defaults (false only when the file exists and cannot be
// read; *errorText says why). Does not create folders: see PrepareFolders.
bool LoadSettings(Settings& settings, const std::string& path, std::string* errorText = nullptr);

// Writes every key (integers as decimal text) and the scrambled proxy password into the
// file at `path`, keeping its other lines, and replaces the file whole.
bool SaveSettings(const Settings& settings, const std::string& path,
                  std::string* errorText = nullptr);

// Saves what this program changed since it loaded `loaded`, for programs that share the
// file (the desktop program and `korvida-cli settings --set`): under a lock on the file
// it is read again, every key this program left as loaded takes the value now stored,
// the others this program's value, and every key is written as SaveSettings does.
bool SaveSettingsChanges(const Settings& settings, const Settings& loaded, const std::string& path,
                         std::string* errorText = nullptr);

// The text SaveSettings would write into a new, empty file.
std::string SettingsText(const Settings& settings);

// The folders after loading: creates the output and temporary folders, falling back to
// the defaults, and tells the user "不能打开输出目录！" / "不能打开临时目录！" when neither
// can be made.
void PrepareFolders(Settings& settings, UserNotifier& notifier);

// A folder setting as a path: trimmed of blanks, trailing '/' removed, one '/' appended.
std::string NormalizedFolder(const std::string& folder);

}  // namespace korvida
