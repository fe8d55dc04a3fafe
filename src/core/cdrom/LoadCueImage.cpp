#include "core/cdrom/LoadCueImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "core/cdrom/CdTextPack.h"
#include "core/cdrom/DiscCodes.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/ini/ReadRegularFile.h"
#include "core/platform/ByteOrder.h"
#include "core/platform/ErrorText.h"

namespace korvida {

namespace {

// A sheet larger than this is not a CUE sheet (most likely the BIN passed by mistake).
constexpr std::size_t kMaxCueBytes = 1 << 20;
// MSF addresses must stay below 100:00:00.
constexpr std::uint32_t kMaxDiscFrames = 100 * 60 * 75 - kMsfOffset;
// A left-out data track at the end of a sheet that names no lead-out is given the
// shortest length a track may have: four seconds.
constexpr std::uint32_t kShortestTrackFrames = 300;

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Splits a line into words; "quoted text" is one word without its quotes.
bool Tokenize(const std::string& line, std::vector<std::string>& words) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos)
                return false;
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            std::size_t end = line.find_first_of(" \t", i);
            if (end == std::string::npos)
                end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

// "mm:ss:ff" as frames.
std::optional<std::uint32_t> ParseMsf(const std::string& text) {
    unsigned m = 0, s = 0, f = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u:%u:%u%c", &m, &s, &f, &tail) != 3)
        return std::nullopt;
    if (s >= 60 || f >= 75 || m >= 100)
        return std::nullopt;
    return (m * 60 + s) * 75 + f;
}

// A decimal LBA of the REM lines a rip's sheet writes.
std::optional<std::uint32_t> ParseLba(const std::string& text) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(std::stoul(text));
    if (value > kMaxDiscFrames)
        return std::nullopt;
    return value;
}

std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// Finds the data chunk of a 16-bit stereo 44100 Hz PCM WAVE file.
bool ParseWave(ImageFile& file, std::uint64_t fileSize, std::string& why) {
    std::uint8_t header[12];
    if (::pread(file.fd.get(), header, sizeof header, 0) != sizeof header ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        why = "不是 RIFF WAVE 文件";
        return false;
    }
    bool haveFormat = false;
    std::uint64_t at = 12;
    while (at + 8 <= fileSize) {
        std::uint8_t chunk[24];
        if (::pread(file.fd.get(), chunk, 8, static_cast<off_t>(at)) != 8)
            break;
        std::uint64_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 ||
                ::pread(file.fd.get(), chunk + 8, 16, static_cast<off_t>(at + 8)) != 16) {
                why = "fmt 块已损坏";
                return false;
            }
            if (Le16(chunk + 8) != 1 || Le16(chunk + 10) != 2 || Le32(chunk + 12) != 44100 ||
                Le16(chunk + 22) != 16) {
                why = "不是 16 位立体声 44100 Hz 的 PCM";
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                why = "data 块在 fmt 块之前";
                return false;
            }
            if (at + 8 + size > fileSize) {
                why = "data 块超出了文件末尾";
                return false;
            }
            file.dataOffset = at + 8;
            file.dataBytes = size;
            return true;
        }
        at += 8 + size + (size & 1);
    }
    why = "没有 data 块";
    return false;
}

struct ParseState {
    DiscImage& image;
    std::string cuePath;
    std::string folder;
    int line = 0;
    std::string error;

    int currentFile = -1;
    std::uint32_t fileCursor = 0;    // first frame of the current file not yet laid out
    std::int64_t lastIndexPos = -1;  // last INDEX position seen in the current file
    std::uint32_t disc = 0;          // LBA where the next laid-out frame goes
    std::uint32_t pendingPostgap = 0;
    std::uint32_t pregap = 0;  // PREGAP of the current track, inserted at its first INDEX
    bool trackHasIndex = false;
    int session = 1;  // of the tracks that follow
    // The last track is a data track the sheet has no frames for: the gaps before the
    // next track's first INDEX are its frames, and so is the rest up to the lead-out.
    bool inDataNotRipped = false;
    std::optional<std::uint32_t> leadoutLine = std::nullopt;  // "REM LEAD-OUT LBA n"
    int leadoutLineNumber = 0;

    bool Fail(const std::string& what) {
        error = cuePath + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    void Lay(int file, std::uint32_t from, std::uint32_t frames) {
        if (frames == 0)
            return;
        ImageSegment segment;
        segment.discStart = disc;
        segment.frames = frames;
        segment.file = file;
        if (file >= 0) {
            segment.byteOffset = image.files[static_cast<std::size_t>(file)].dataOffset +
                                 std::uint64_t{from} * kRawSectorSize;
        }
        image.segments.push_back(segment);
        disc += frames;
    }

    void FinishFile() {
        if (currentFile < 0)
            return;
        const ImageFile& file = image.files[static_cast<std::size_t>(currentFile)];
        Lay(currentFile, fileCursor, file.frames - fileCursor);
        fileCursor = file.frames;
    }

    bool OpenFile(const std::string& name, const std::string& type) {
        ImageFile file;
        std::string kind = Upper(type);
        if (kind == "BINARY") {
            file.kind = ImageFileKind::kBinary;
        } else if (kind == "MOTOROLA") {
            file.kind = ImageFileKind::kMotorola;
        } else if (kind == "WAVE") {
            file.kind = ImageFileKind::kWave;
        } else {
            return Fail("FILE \"" + name + "\": 不支持文件类型 " + type);
        }
        std::filesystem::path path(name);
        file.path = path.is_absolute() ? name : (std::filesystem::path(folder) / path).string();
        // O_NONBLOCK: a FILE line naming a FIFO must be refused below, not wait for a
        // writer that never comes. Reads of regular files ignore the flag.
        int fd = ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return Fail("FILE \"" + name + "\": 不能打开 " + file.path + ": " + ErrorText(errno));
        file.fd = UniqueFd(fd);
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            return Fail("FILE \"" + name + "\": " + file.path + " 不是普通文件");
        }
        std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
        if (file.kind == ImageFileKind::kWave) {
            std::string why;
            if (!ParseWave(file, size, why))
                return Fail("FILE \"" + name + "\": " + file.path + ": " + why);
        } else {
            if (size % kRawSectorSize != 0) {
                return Fail("FILE \"" + name + "\": " + file.path + " 有 " + std::to_string(size) +
                            " 字节，不是 2352 字节扇区的整数倍");
            }
            file.dataBytes = size;
        }
        if (file.dataBytes == 0)
            return Fail("FILE \"" + name + "\": " + file.path + " 中没有扇区");
        std::uint64_t frames = (file.dataBytes + kRawSectorSize - 1) / kRawSectorSize;
        if (frames + disc > kMaxDiscFrames)
            return Fail("FILE \"" + name + "\": 光盘将长于 99:59:74");
        file.frames = static_cast<std::uint32_t>(frames);

        FinishFile();
        image.files.push_back(std::move(file));
        currentFile = static_cast<int>(image.files.size()) - 1;
        fileCursor = 0;
        lastIndexPos = -1;
        return true;
    }

    bool CloseTrack() {
        if (image.tracks.empty())
            return true;
        ImageTrack& track = image.tracks.back();
        if (track.indexLbas.empty() || (track.hasIndex0 && track.indexLbas.size() < 2)) {
            line = track.cueLine;
            return Fail("TRACK " + std::to_string(track.number) + " 没有 INDEX 01");
        }
        return true;
    }

    bool Track(const std::vector<std::string>& words) {
        if (words.size() != 3)
            return Fail("TRACK 需要音轨号和模式");
        if (currentFile < 0)
            return Fail("TRACK 出现在任何 FILE 之前");
        if (!CloseTrack())
            return false;
        std::optional<int> number = ParseNumber(words[1], 1, 999);
        if (!number)
            return Fail("错误的音轨号 " + words[1]);
        if (*number > 99)
            return Fail("音轨超过 99 条 (TRACK " + words[1] + ")");
        if (!image.tracks.empty() && *number != image.tracks.back().number + 1) {
            return Fail("TRACK " + words[1] + " 跟在 TRACK " +
                        std::to_string(image.tracks.back().number) + " 之后 (音轨必须按顺序编号)");
        }
        ImageTrack track;
        track.number = *number;
        track.cueLine = line;
        track.session = session;
        std::string mode = Upper(words[2]);
        if (mode == "AUDIO") {
            track.mode = TrackMode::kAudio;
        } else if (mode == "MODE1/2352") {
            track.mode = TrackMode::kMode1Raw;
            track.control = 0x4;
        } else if (mode == "MODE2/2352") {
            track.mode = TrackMode::kMode2Raw;
            track.control = 0x4;
        } else {
            return Fail("不支持音轨模式 " + words[2]);
        }
        image.tracks.push_back(track);
        pregap = 0;
        trackHasIndex = false;
        return true;
    }

    bool Index(const std::vector<std::string>& words) {
        if (words.size() != 3)
            return Fail("INDEX 需要索引号和时间");
        if (image.tracks.empty())
            return Fail("INDEX 出现在任何 TRACK 之前");
        if (currentFile < 0)
            return Fail("INDEX 属于一条没有文件的数据音轨");
        ImageTrack& track = image.tracks.back();
        std::optional<int> number = ParseNumber(words[1], 0, 99);
        std::optional<std::uint32_t> pos = ParseMsf(words[2]);
        if (!number)
            return Fail("错误的索引号 " + words[1]);
        if (!pos)
            return Fail("错误的时间 " + words[2]);
        int expected = track.indexLbas.empty() ? -1
                                               : static_cast<int>(track.indexLbas.size()) -
                                                     (track.hasIndex0 ? 1 : 0) + 1;
        if (expected < 0 ? (*number > 1) : (*number != expected)) {
            return Fail("TRACK " + std::to_string(track.number) + " 中的 INDEX " + words[1] +
                        " 顺序不对");
        }
        const ImageFile& file = image.files[static_cast<std::size_t>(currentFile)];
        if (*pos >= file.frames) {
            return Fail("INDEX " + words[1] + " " + words[2] + " 超出了 " + file.path + " 的末尾");
        }
        if (static_cast<std::int64_t>(*pos) <= lastIndexPos) {
            return Fail("TRACK " + std::to_string(track.number) + " 的 INDEX " + words[1] + " " +
                        words[2] + " 与前一个索引重叠");
        }
        std::optional<std::uint32_t> pregapFrom;
        if (!trackHasIndex) {
            // The frames before this track's first index belong to the track before it;
            // gaps the sheet asks for are inserted here, after them.
            Lay(currentFile, fileCursor, *pos - fileCursor);
            fileCursor = *pos;
            Lay(-1, 0, pendingPostgap);
            if (pregap > 0 && !track.IsData())
                pregapFrom = disc;
            Lay(inDataNotRipped ? kFramesNotInImage : -1, 0, pregap);
            pendingPostgap = 0;
            trackHasIndex = true;
            inDataNotRipped = false;
        }
        std::uint32_t lba = disc + (*pos - fileCursor);
        if (lba + (file.frames - *pos) > kMaxDiscFrames)
            return Fail("光盘将长于 99:59:74");
        if (pregapFrom) {
            // An audio track's PREGAP is its INDEX 00 on the disc's Q sub-channel; an
            // INDEX 00 line after it only lengthens it.
            track.hasIndex0 = true;
            track.indexLbas.push_back(*pregapFrom);
            if (*number == 0) {
                lastIndexPos = *pos;
                return true;
            }
        } else if (*number == 0) {
            track.hasIndex0 = true;
        }
        track.indexLbas.push_back(lba);
        if (*number == 1)
            track.startLba = lba;
        lastIndexPos = *pos;
        return true;
    }

    bool Gap(const std::vector<std::string>& words, bool post) {
        if (words.size() != 2)
            return Fail(words[0] + " 需要一个时间");
        if (image.tracks.empty())
            return Fail(words[0] + " 出现在任何 TRACK 之前");
        std::optional<std::uint32_t> frames = ParseMsf(words[1]);
        if (!frames)
            return Fail("错误的时间 " + words[1]);
        if (post) {
            if (!trackHasIndex)
                return Fail("POSTGAP 出现在本音轨的 INDEX 行之前");
            pendingPostgap = *frames;
        } else {
            if (trackHasIndex)
                return Fail("PREGAP 出现在本音轨的 INDEX 行之后");
            pregap = *frames;
        }
        return true;
    }

    // "REM DATA TRACK nn LBA n NOT RIPPED", a rip's sheet naming a data track it has no
    // file for: the track is in the TOC, and its frames are not in the image.
    bool DataTrackNotRipped(const std::vector<std::string>& words) {
        const std::optional<int> number = ParseNumber(words[3], 1, 99);
        const std::optional<std::uint32_t> lba = ParseLba(words[5]);
        if (!number || !lba)
            return Fail("错误的数据音轨行 (TRACK " + words[3] + " LBA " + words[5] + ")");
        if (!CloseTrack())
            return false;
        if (!image.tracks.empty() && *number != image.tracks.back().number + 1) {
            return Fail("数据音轨 TRACK " + words[3] + " 跟在 TRACK " +
                        std::to_string(image.tracks.back().number) + " 之后 (音轨必须按顺序编号)");
        }
        // What is left of the file belongs to the track before; the next track needs a
        // FILE of its own.
        FinishFile();
        currentFile = -1;
        Lay(-1, 0, pendingPostgap);
        pendingPostgap = 0;
        if (*lba < disc) {
            return Fail("数据音轨 TRACK " + words[3] + " 的 LBA " + words[5] +
                        " 落在它之前的帧中 (LBA " + std::to_string(disc) + ")");
        }
        Lay(kFramesNotInImage, 0, *lba - disc);

        ImageTrack track;
        track.number = *number;
        track.cueLine = line;
        track.mode = TrackMode::kMode1Raw;
        track.control = 0x4;
        track.indexLbas = {*lba};
        track.startLba = *lba;
        // Data after audio is an enhanced CD's second session.
        if (!image.tracks.empty() && !image.tracks.back().IsData() &&
            image.tracks.back().session == session)
            ++session;
        track.session = session;
        image.tracks.push_back(track);
        pregap = 0;
        trackHasIndex = true;
        inDataNotRipped = true;
        return true;
    }

    bool Flags(const std::vector<std::string>& words) {
        if (image.tracks.empty())
            return Fail("FLAGS 出现在任何 TRACK 之前");
        ImageTrack& track = image.tracks.back();
        for (std::size_t i = 1; i < words.size(); ++i) {
            std::string flag = Upper(words[i]);
            if (flag == "DCP") {
                track.control |= 0x2;
            } else if (flag == "4CH") {
                track.control |= 0x8;
            } else if (flag == "PRE") {
                track.control |= 0x1;
            } else if (flag != "SCMS" && flag != "DATA") {
                return Fail("未知的标志 " + words[i]);
            }
        }
        return true;
    }

    // A sheet made from a disc names the dump of its lead-in text, so the image keeps
    // the disc's CD-Text. Without it the image still plays and rips: a file that does
    // not read is noted and the sheet loads.
    void CdTextFile(const std::vector<std::string>& words) {
        const auto note = [&](const std::string& what) {
            image.notes.push_back(cuePath + ":" + std::to_string(line) + ": CDTEXTFILE " + what +
                                  "；忽略此行");
        };
        if (words.size() != 2)
            return note("需要一个文件名");
        const std::string& name = words[1];
        const std::filesystem::path given(name);
        const std::string path =
            given.is_absolute() ? name : (std::filesystem::path(folder) / given).string();
        // Room for the largest dump: every pack a disc can hold, header and a stray byte.
        RegularFileText file = ReadRegularFile(path, 4 + kMaxCdTextPacks * kCdTextPackSize + 1);
        if (file.status != RegularFileText::Status::kRead) {
            return note("\"" + name + "\": 不能读取 " + path + ": " +
                        (file.status == RegularFileText::Status::kMissing ? ErrorText(ENOENT)
                                                                          : file.reason));
        }
        std::optional<std::vector<std::uint8_t>> packs = CdTextFilePacks(file.bytes);
        if (!packs)
            return note("\"" + name + "\": " + path + " 中没有 CD-Text 数据包");
        image.cdTextPacks = std::move(*packs);
    }

    bool Catalog(const std::vector<std::string>& words) {
        if (words.size() == 2 && words[1].size() == 13 &&
            std::all_of(words[1].begin(), words[1].end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            image.catalog = words[1];
            return true;
        }
        return Fail("CATALOG 需要 13 位数字");
    }

    // Remarks are ignored, but for those our own sheets write about the disc: a data
    // track left out of the rip, the lead-out after it, the session a track opens.
    bool Remark(const std::vector<std::string>& words) {
        if (words.size() == 8 && Upper(words[1]) == "DATA" && Upper(words[2]) == "TRACK" &&
            Upper(words[4]) == "LBA" && Upper(words[6]) == "NOT" && Upper(words[7]) == "RIPPED")
            return DataTrackNotRipped(words);
        if (words.size() == 4 && Upper(words[1]) == "LEAD-OUT" && Upper(words[2]) == "LBA") {
            leadoutLine = ParseLba(words[3]);
            leadoutLineNumber = line;
            return leadoutLine ? true : Fail("错误的导出区 LBA " + words[3]);
        }
        if (words.size() == 3 && Upper(words[1]) == "SESSION") {
            const std::optional<int> number = ParseNumber(words[2], 1, 99);
            if (!number || *number < session)
                return Fail("错误的区段号 " + words[2]);
            session = *number;
        }
        return true;
    }

    // TITLE, PERFORMER or SONGWRITER: before the first TRACK the line names the disc,
    // after it the track.
    void Text(const std::string& command, const std::vector<std::string>& words) {
        ImageText& text = image.tracks.empty() ? image.text : image.tracks.back().text;
        std::string& field = command == "TITLE"       ? text.title
                             : command == "PERFORMER" ? text.performer
                                                      : text.songwriter;
        field.clear();
        for (std::size_t i = 1; i < words.size(); ++i)
            field += (i > 1 ? " " : "") + words[i];
    }

    bool Line(const std::string& text) {
        for (unsigned char c : text) {
            if ((c < 0x20 && c != '\t') || c == 0x7F)
                return Fail("不是文本行 (二进制数据？)");
        }
        std::vector<std::string> words;
        if (!Tokenize(text, words))
            return Fail("引号没有闭合");
        if (words.empty())
            return true;
        std::string command = Upper(words[0]);
        if (command == "FILE") {
            if (words.size() != 3)
                return Fail("FILE 需要文件名和类型");
            return OpenFile(words[1], words[2]);
        }
        if (command == "TRACK")
            return Track(words);
        if (command == "INDEX")
            return Index(words);
        if (command == "PREGAP")
            return Gap(words, false);
        if (command == "POSTGAP")
            return Gap(words, true);
        if (command == "FLAGS")
            return Flags(words);
        if (command == "CATALOG")
            return Catalog(words);
        if (command == "REM")
            return Remark(words);
        if (command == "TITLE" || command == "PERFORMER" || command == "SONGWRITER") {
            Text(command, words);
            return true;
        }
        if (command == "CDTEXTFILE") {
            CdTextFile(words);
            return true;
        }
        if (command == "ISRC") {
            // Sheets with a malformed code loaded before codes were read: it is left out
            // rather than refusing the sheet.
            if (!image.tracks.empty() && words.size() == 2 && IsIsrc(Upper(words[1])))
                image.tracks.back().isrc = Upper(words[1]);
            return true;
        }
        static const char* const kIgnored[] = {"COMPOSER", "ARRANGER", "MESSAGE"};
        for (const char* ignored : kIgnored) {
            if (command == ignored)
                return true;
        }
        return Fail("未知的命令 " + words[0]);
    }
};

}  // namespace

bool LoadCueImage(const std::string& cuePath, DiscImage& image, std::string& errorText) {
    image = DiscImage();
    image.cuePath = cuePath;
    RegularFileText file = ReadRegularFile(cuePath, kMaxCueBytes);
    if (file.status != RegularFileText::Status::kRead) {
        errorText =
            cuePath + ": " +
            (file.status == RegularFileText::Status::kMissing ? ErrorText(ENOENT) : file.reason);
        return false;
    }
    std::string text = std::move(file.bytes);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);

    ParseState state{image, cuePath, std::filesystem::path(cuePath).parent_path().string(), 0, {}};
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string lineText = text.substr(start, end - start);
        if (!lineText.empty() && lineText.back() == '\r')
            lineText.pop_back();
        ++state.line;
        if (!state.Line(lineText)) {
            errorText = state.error;
            return false;
        }
        start = end + 1;
    }
    if (image.tracks.empty()) {
        errorText = cuePath + ": 文件中没有 TRACK";
        return false;
    }
    if (!state.CloseTrack()) {
        errorText = state.error;
        return false;
    }
    state.FinishFile();
    state.Lay(-1, 0, state.pendingPostgap);
    if (state.inDataNotRipped) {
        const std::uint32_t end = state.leadoutLine.value_or(state.disc + kShortestTrackFrames);
        if (end <= state.disc) {
            errorText = cuePath + ":" + std::to_string(state.leadoutLineNumber) +
                        ": 导出区在最后一条音轨结束之前";
            return false;
        }
        state.Lay(kFramesNotInImage, 0, end - state.disc);
    }
    if (state.disc > kMaxDiscFrames) {
        errorText = cuePath + ": 光盘将长于 99:59:74";
        return false;
    }
    image.leadout = state.disc;
    return true;
}

}  // namespace korvida
