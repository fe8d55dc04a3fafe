#include "core/rip/CueSheetText.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/cdrom/DiscCodes.h"
#include "core/cdrom/Toc.h"
#include "core/disc/DiscInfo.h"
#include "core/encode/EncoderFormats.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/rip/RipJob.h"

namespace korvida {
namespace {

// Cue sheets have no escapes: a quote would end the text early and a line break start a
// new command, so both become harmless look-alikes.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '\'';
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            quoted += ' ';
        else
            quoted += c;
    }
    return quoted + "\"";
}

// A length in frames as the sheet's mm:ss:ff.
std::string Time(std::uint32_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / (60 * 75), frames / 75 % 60,
                  frames % 75);
    return text;
}

const RipJobItem* ItemOfTrack(const RipJob& job, int index) {
    for (const RipJobItem& item : job.items) {
        if (item.index == index)
            return &item;
    }
    return nullptr;
}

// The lines after a TRACK command: the track's texts, the codes the disc gives it (with
// `full`) and the flags the TOC gives it.
std::string TrackHead(const TocDescriptor& d, const RipJobItem& item, bool full) {
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02u AUDIO\n", d.trackNumber);
    std::string lines = line;
    lines += "    TITLE " + Quoted(item.name) + "\n";
    if (!item.track.Artist.empty())
        lines += "    PERFORMER " + Quoted(item.track.Artist) + "\n";
    if (full && !item.track.Composer.empty())
        lines += "    SONGWRITER " + Quoted(item.track.Composer) + "\n";
    // Pre-emphasis, copy permission and four channels are the track's own, as the TOC
    // gives them.
    std::string flags;
    if (d.adrControl & 0x02)
        flags += " DCP";
    if (d.adrControl & 0x08)
        flags += " 4CH";
    if (d.adrControl & 0x01)
        flags += " PRE";
    if (!flags.empty())
        lines += "    FLAGS" + flags + "\n";
    if (full && IsIsrc(item.isrc))
        lines += "    ISRC " + item.isrc + "\n";
    return lines;
}

// The FILE line of an item's file, named relative to the sheet's folder; nothing, with
// the sheet's problem set, when the name cannot stand in a sheet.
std::optional<std::string> FileLine(const RipJobItem& item, const std::string& cueFolder,
                                    CueSheet& sheet) {
    const std::string file =
        std::filesystem::path(item.outputPath).lexically_relative(cueFolder).string();
    if (file.empty() || Quoted(file) != "\"" + file + "\"") {
        sheet.problem = "文件名不能写入 cue 表: " + item.outputPath;
        return std::nullopt;
    }
    return "FILE " + Quoted(file) + " WAVE\n";
}

// The lines before the tracks: the disc's id, the program, a word on trimmed tracks, and
// the album's texts.
std::string HeaderLines(const RipJob& job, const std::string& program, bool trimmed, bool full) {
    std::string text;
    const TrackInfo& album = job.items.front().track;
    if (full && !album.GenreName.empty())
        text += "REM GENRE " + Quoted(album.GenreName) + "\n";
    if (full && !album.Year.empty())
        text += "REM DATE " + Quoted(album.Year) + "\n";
    std::uint32_t freedbId = 0;
    if (FreedbDiscIdOfLbaToc(job.disc->rawToc, freedbId)) {
        char line[64];
        std::snprintf(line, sizeof line, "REM DISCID %08X\n", freedbId);
        text += line;
    }
    text += "REM COMMENT " + Quoted(program) + "\n";
    if (trimmed)
        text += "REM 文件已删除静音，音轨长度是文件的长度，不是光盘 TOC 的长度\n";
    if (full && IsCatalogNumber(job.disc->catalog))
        text += "CATALOG " + job.disc->catalog + "\n";
    if (!album.Artist.empty())
        text += "PERFORMER " + Quoted(album.Artist) + "\n";
    if (!album.Album.empty())
        text += "TITLE " + Quoted(album.Album) + "\n";
    if (full && !album.Composer.empty())
        text += "SONGWRITER " + Quoted(album.Composer) + "\n";
    return text;
}

}  // namespace

CueSheet CueSheetText(const RipJob& job, const std::string& cueFolder, const std::string& program) {
    CueSheet sheet;
    if (job.settings.OutputFormat != kOutputWav && job.settings.OutputFormat != kOutputFlac) {
        sheet.problem = "只为 WAV 和 FLAC 文件写入";
        return sheet;
    }
    if (!job.disc) {
        sheet.problem = "没有光盘的 TOC";
        return sheet;
    }
    const DiscInfo& disc = *job.disc;
    const TocView toc = ParseTocReply(disc.rawToc.data(), disc.rawToc.size());

    std::string body;
    bool first = true;
    bool trimmed = false;
    // Where the frames before the next audio track begin that no file holds: the disc's
    // start, or a data track left out.
    std::optional<std::uint32_t> gapFrom = 0;
    // The audio track whose file the sheet names last: a gap before the next track is
    // the end of that file.
    const RipJobItem* previous = nullptr;
    const RipJobItem* hidden = ItemOfTrack(job, -1);
    if (hidden && hidden->outputPath.empty())
        hidden = nullptr;
    // Codes, song writers, genre and date come with the disc's layout, so a sheet of
    // today's settings stays as it was.
    const bool full = job.settings.DetectGaps || job.settings.WholeDiscImage;
    // A whole-disc image: one FILE, named once.
    const bool oneFile = job.settings.WholeDiscImage != 0;
    bool fileNamed = false;
    for (std::size_t i = 0; i + 1 < toc.descriptors.size(); ++i) {
        const TocDescriptor& d = toc.descriptors[i];
        char line[128];
        if (d.IsData()) {
            std::snprintf(line, sizeof line, "REM DATA TRACK %02u LBA %u NOT RIPPED\n",
                          d.trackNumber, d.lba);
            body += line;
            gapFrom = d.lba;
            previous = nullptr;
            continue;
        }
        const RipJobItem* item = ItemOfTrack(job, static_cast<int>(i));
        if (!item || item->outputPath.empty()) {
            sheet.problem = "并非所有音轨都已抓取";
            return sheet;
        }
        const std::optional<std::string> file = FileLine(*item, cueFolder, sheet);
        if (!file)
            return sheet;
        const TrackRange range = disc.trackRanges[i];
        trimmed = trimmed || range.start != item->start || range.end != item->end;

        const TrackIndexes* indexes = job.indexes.detected && i < job.indexes.tracks.size()
                                          ? &job.indexes.tracks[i]
                                          : nullptr;
        const std::optional<std::uint32_t> index0 =
            indexes && indexes->index0 && *indexes->index0 < d.lba ? indexes->index0 : std::nullopt;
        if (oneFile) {
            // One image: every index counts from its start, the first item's.
            const std::uint32_t base = job.items.front().start;
            if (!fileNamed)
                body += *file;
            fileNamed = true;
            body += TrackHead(d, *item, full);
            if (!previous && hidden)
                body += "    INDEX 00 00:00:00\n";
            else if (index0 && *index0 >= base)
                body += "    INDEX 00 " + Time(*index0 - base) + "\n";
            else if (gapFrom && d.lba > *gapFrom && d.lba == base)
                body += "    PREGAP " + Time(d.lba - *gapFrom) + "\n";
            body += "    INDEX 01 " + Time(d.lba - base) + "\n";
            for (std::size_t k = 0; indexes && k < indexes->later.size(); ++k) {
                char line[64];
                std::snprintf(line, sizeof line, "    INDEX %02zu ", k + 2);
                body += line + Time(indexes->later[k] - base) + "\n";
            }
            first = false;
            gapFrom.reset();
            previous = item;
            continue;
        }
        if (i == 0 && hidden && index0 == 0u) {
            // The hidden track's own file is track 1's INDEX 00.
            const std::optional<std::string> hiddenFile = FileLine(*hidden, cueFolder, sheet);
            if (!hiddenFile)
                return sheet;
            body += *hiddenFile + TrackHead(d, *item, full) + "    INDEX 00 00:00:00\n" + *file;
        } else if (previous && index0 && *index0 >= previous->start) {
            // Gaps appended: the pregap is the end of the file before.
            body += TrackHead(d, *item, full) + "    INDEX 00 " + Time(*index0 - previous->start) +
                    "\n" + *file;
        } else {
            body += *file + TrackHead(d, *item, full);
            if (gapFrom && d.lba > *gapFrom)
                body += "    PREGAP " + Time(d.lba - *gapFrom) + "\n";
        }
        body += "    INDEX 01 00:00:00\n";
        for (std::size_t k = 0; indexes && k < indexes->later.size(); ++k) {
            if (indexes->later[k] < item->start)
                continue;
            char line[64];
            std::snprintf(line, sizeof line, "    INDEX %02zu ", k + 2);
            body += line + Time(indexes->later[k] - item->start) + "\n";
        }
        first = false;
        gapFrom.reset();
        previous = item;
    }
    // A data track at the end (an enhanced CD) runs to a lead-out no file gives.
    if (toc.descriptors.size() >= 2 && toc.descriptors[toc.descriptors.size() - 2].IsData()) {
        char line[64];
        std::snprintf(line, sizeof line, "REM LEAD-OUT LBA %u\n", toc.descriptors.back().lba);
        body += line;
    }
    if (first) {
        sheet.problem = "光盘没有音频音轨";
        return sheet;
    }

    sheet.text = HeaderLines(job, program, trimmed, full) + body;
    return sheet;
}

}  // namespace korvida
