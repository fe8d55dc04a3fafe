#include "core/batch/RecheckSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>

#include "core/batch/DecodeFlacToWav.h"
#include "core/batch/ParseRipLog.h"
#include "core/ini/ReadRegularFile.h"
#include "core/ini/WriteFileAtomically.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/JobLog.h"
#include "core/platform/ErrorText.h"
#include "core/platform/UniqueFd.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"
#include "core/verify/RipLogSeal.h"

namespace korvida {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxSheetBytes = 16 << 20;

std::string LowerExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool IsLossy(const fs::path& path) {
    static const std::set<std::string> kLossy = {".mp3", ".mp2", ".ogg", ".oga", ".opus",
                                                 ".m4a", ".aac", ".wma", ".mpc"};
    return kLossy.count(LowerExtension(path)) != 0;
}

std::string LossyProblem(const std::string& file) {
    return file +
           Tr(": 有损压缩的文件解码后的长度与音轨不同，不能校验 (只能校验 WAV 和 FLAC 文件)");
}

// Whether a regular file begins with `magic`. Opened without blocking and never read
// unless regular: a sheet may name a FIFO, which would hold the job until a writer came.
bool StartsWith(const std::string& path, const char* magic) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const UniqueFd file(fd);
    struct stat info {};
    char head[4] = {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
           ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
           std::equal(head, head + 4, magic);
}

// A length in frames as the sheet's mm:ss:ff.
std::string Time(std::uint32_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / (60 * 75), frames / 75 % 60,
                  frames % 75);
    return text;
}

class Preparer {
  public:
    Preparer(JobContext& context, RecheckSource& source, std::string& problem)
        : context_(context), source_(source), problem_(problem) {}

    bool Fail(const std::string& text) {
        problem_ = text;
        return false;
    }

    // The FILE line of the sheet made here for `file`: a FLAC file is decoded first and
    // its temporary WAV named instead.
    bool FileLine(const std::string& file, std::string& line) {
        if (IsLossy(file))
            return Fail(LossyProblem(file));
        std::error_code error;
        if (!fs::is_regular_file(file, error))
            return Fail(file + ": " + ErrorText(ENOENT));
        std::string wav = fs::absolute(file, error).lexically_normal().string();
        if (StartsWith(file, "fLaC") && !Decode(file, wav))
            return false;
        if (wav.find_first_of("\"\r\n") != std::string::npos)
            return Fail(file + Tr(": 文件名不能写入 cue 表"));
        line = "FILE \"" + wav + "\" WAVE\n";
        return true;
    }

    bool Decode(const std::string& flac, std::string& wav) {
        const Settings& settings = *context_.settings;
        std::string error;
        TemporaryFile temporary = TemporaryFile::Create(settings.TEMPDIRECTORY, "PW", ".wav",
                                                        TemporaryFile::Access::kPrivate, &error);
        if (!temporary.owned())
            return Fail(error);
        if (!DecodeFlacToWav(flac, temporary.path(), context_))
            return Fail(context_.aborted ? std::string() : flac + Tr(": 不能解码 FLAC 文件"));
        wav = temporary.path();
        source_.standIns.emplace_back(wav, flac);
        source_.temporaries.push_back(std::move(temporary));
        return true;
    }

    // `standsFor`: the user's sheet the copy keeps the lines of; empty for a sheet made
    // here, whose line numbers would mean nothing to the user: a message about it names
    // the file at fault, and the sheet is left out of it (Explain).
    bool WriteSheet(const std::string& text, const std::string& standsFor) {
        std::string error;
        TemporaryFile sheet = TemporaryFile::Create(context_.settings->TEMPDIRECTORY, "PW", ".cue",
                                                    TemporaryFile::Access::kPrivate, &error);
        if (!sheet.owned())
            return Fail(error);
        if (!WriteFileAtomically(sheet.path(), text, &error))
            return Fail(error);
        source_.cuePath = sheet.path();
        source_.standIns.emplace_back(sheet.path(), standsFor);
        source_.temporaries.push_back(std::move(sheet));
        return true;
    }

    // The user's sheet as it is, unless it names FLAC files: then a copy naming their
    // decoded WAV files. Every other line stays, so line numbers in messages still fit.
    bool CueSheet(const std::string& cue) {
        const RegularFileText file = ReadRegularFile(cue, kMaxSheetBytes);
        if (file.status != RegularFileText::Status::kRead)
            return Fail(cue + ": " +
                        (file.status == RegularFileText::Status::kMissing ? ErrorText(ENOENT)
                                                                          : file.reason));
        const fs::path folder = fs::path(cue).parent_path();
        source_.folder = folder.string();
        std::string copy;
        bool decoded = false;
        std::size_t start = 0;
        const std::string& text = file.bytes;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            const std::string line = text.substr(start, end - start);
            start = end;
            const std::size_t first = line.find_first_not_of(" \t\xEF\xBB\xBF");
            std::string word = first == std::string::npos ? "" : line.substr(first, 5);
            for (char& c : word)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (word != "FILE " && word != "FILE\t") {
                copy += line;
                continue;
            }
            // FILE "name" TYPE or FILE name TYPE
            std::string name;
            const std::size_t open = line.find('"', first);
            if (open != std::string::npos) {
                const std::size_t close = line.find('"', open + 1);
                name = line.substr(open + 1, close == std::string::npos ? close : close - open - 1);
            } else {
                const std::size_t from = line.find_first_not_of(" \t", first + 4);
                const std::size_t to = line.find_first_of(" \t\r\n", from);
                name = from == std::string::npos ? "" : line.substr(from, to - from);
            }
            const fs::path path = fs::path(name).is_absolute() ? fs::path(name) : folder / name;
            if (IsLossy(path))
                return Fail(LossyProblem(path.string()));
            std::string replaced;
            if (StartsWith(path.string(), "fLaC")) {
                if (!FileLine(path.string(), replaced))
                    return false;
                decoded = true;
            } else {
                std::error_code error;
                const std::string absolute = fs::absolute(path, error).lexically_normal().string();
                if (absolute.find_first_of("\"\r\n") != std::string::npos)
                    return Fail(path.string() + Tr(": 文件名不能写入 cue 表"));
                replaced = "FILE \"" + absolute + "\" WAVE\n";
            }
            copy += replaced;
        }
        if (!decoded) {
            source_.cuePath = cue;
            return true;
        }
        return WriteSheet(copy, cue);
    }

    // The sheet of a rip log: its TOC, the files named in it looked for beside the log.
    bool RipLog(const std::string& logPath, const std::string& text) {
        const RipLogContents log = ParseRipLog(text);
        if (!log.ok)
            return Fail(logPath + ": " + log.problem);
        const fs::path folder = fs::path(logPath).parent_path();
        source_.folder = folder.string();
        std::string sheet;
        std::optional<std::uint32_t> gapFrom = 0;
        for (const RipLogContents::Track& track : log.tracks) {
            source_.expectedToc.push_back(track.lba);
            char line[96];
            if (track.data) {
                std::snprintf(line, sizeof line, "REM DATA TRACK %02d LBA %u NOT RIPPED\n",
                              track.number, track.lba);
                sheet += line;
                gapFrom = track.lba;
                continue;
            }
            if (track.file.empty())
                return Fail(logPath + FormatTrack(Tr(": 音轨 %02d 没有写入文件"), track.number));
            // The files travel with the log: the name beside it first, then the path the
            // log gives.
            std::error_code error;
            fs::path file = folder / fs::path(track.file).filename();
            if (!fs::is_regular_file(file, error))
                file = track.file;
            std::string fileLine;
            if (!FileLine(file.string(), fileLine))
                return false;
            sheet += fileLine;
            std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n", track.number);
            sheet += line;
            if (gapFrom && track.lba > *gapFrom)
                sheet += "    PREGAP " + Time(track.lba - *gapFrom) + "\n";
            sheet += "    INDEX 01 00:00:00\n";
            gapFrom.reset();
        }
        source_.expectedToc.push_back(log.leadout);
        if (log.tracks.back().data)
            sheet += "REM LEAD-OUT LBA " + std::to_string(log.leadout) + "\n";
        return WriteSheet(sheet, {});
    }

    // A folder: its one cue sheet, else its WAV and FLAC files in name order, one track
    // each, back to back from LBA 0.
    bool Folder(const std::string& path) {
        std::vector<fs::path> cues, tracks, lossy;
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
            if (!entry.is_regular_file(error))
                continue;
            const std::string ext = LowerExtension(entry.path());
            if (ext == ".cue")
                cues.push_back(entry.path());
            else if (ext == ".wav" || ext == ".flac")
                tracks.push_back(entry.path());
            else if (IsLossy(entry.path()))
                lossy.push_back(entry.path());
        }
        if (error)
            return Fail(path + ": " + ErrorText(error.value()));
        if (cues.size() == 1)
            return CueSheet(cues.front().string());
        if (tracks.empty())
            return Fail(lossy.empty() ? path + Tr(": 文件夹中没有 WAV 或 FLAC 文件")
                                      : LossyProblem(lossy.front().string()));
        if (tracks.size() > 99)
            return Fail(path + Tr(": 文件夹中的音轨多于 99 条"));
        std::sort(tracks.begin(), tracks.end());
        source_.folder = path;
        source_.tocAssumed = true;
        std::string sheet;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            std::string fileLine;
            if (!FileLine(tracks[i].string(), fileLine))
                return false;
            char line[64];
            std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\n    INDEX 01 00:00:00\n", i + 1);
            sheet += fileLine + line;
        }
        return WriteSheet(sheet, {});
    }

  private:
    static std::string FormatTrack(const char* format, int number) {
        char text[96];
        std::snprintf(text, sizeof text, format, number);
        return text;
    }

    JobContext& context_;
    RecheckSource& source_;
    std::string& problem_;
};

}  // namespace

std::string RecheckSource::OriginalOf(const std::string& path) const {
    for (const auto& [standIn, original] : standIns)
        if (standIn == path)
            return original;
    return path;
}

std::string RecheckSource::Explain(std::string text) const {
    for (const auto& [standIn, original] : standIns) {
        if (original.empty()) {
            // "<sheet>:<line>: " of a sheet made here.
            if (text.compare(0, standIn.size(), standIn) == 0) {
                const std::size_t end = text.find(": ", standIn.size() + 1);
                text.erase(0, end == std::string::npos ? standIn.size() : end + 2);
            }
            continue;
        }
        for (std::size_t at = text.find(standIn); at != std::string::npos;
             at = text.find(standIn, at + original.size()))
            text.replace(at, standIn.size(), original);
    }
    return text;
}

int ExpectedRecheckTracks(const std::string& path) {
    std::error_code error;
    std::string sheet = path;
    if (fs::is_directory(path, error)) {
        int tracks = 0, cues = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
            const std::string ext = LowerExtension(entry.path());
            if (ext == ".cue" && ++cues == 1)
                sheet = entry.path().string();
            tracks += ext == ".wav" || ext == ".flac";
        }
        if (cues != 1)
            return std::max(tracks, 1);
    }
    const RegularFileText file = ReadRegularFile(sheet, kMaxSheetBytes);
    if (file.status != RegularFileText::Status::kRead)
        return 1;
    int tracks = 0;
    if (LowerExtension(sheet) == ".cue") {
        std::istringstream in(file.bytes);
        for (std::string word, line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string number, mode;
            words >> word >> number >> mode;
            for (char& c : word)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            tracks += word == "TRACK" && mode.rfind("AUDIO", 0) == 0;
        }
    } else {
        for (const RipLogContents::Track& track : ParseRipLog(file.bytes).tracks)
            tracks += !track.data;
    }
    return std::max(tracks, 1);
}

bool PrepareRecheckSource(const std::string& path, JobContext& context, RecheckSource& source,
                          std::string& problem) {
    Preparer preparer(context, source, problem);
    std::error_code error;
    if (fs::is_directory(path, error))
        return preparer.Folder(path);
    if (IsLossy(path))
        return preparer.Fail(LossyProblem(path));
    if (LowerExtension(path) == ".cue")
        return preparer.CueSheet(path);
    const RegularFileText file = ReadRegularFile(path, kMaxSheetBytes);
    if (file.status != RegularFileText::Status::kRead)
        return preparer.Fail(
            path + ": " +
            (file.status == RegularFileText::Status::kMissing ? ErrorText(ENOENT) : file.reason));
    const RipLogSealCheck seal = CheckRipLogSeal(file.bytes);
    if (seal == RipLogSealCheck::kChanged)
        LogPlain(context,
                 path + Tr(": 日志的校验和与内容不符 (日志被改动过)，仍按其中的 TOC 校验。"));
    if (seal != RipLogSealCheck::kNoSeal)
        return preparer.RipLog(path, file.bytes);
    return preparer.Fail(path + Tr(": 不是 cue 表、本程序的抓取日志或文件夹"));
}

}  // namespace korvida
