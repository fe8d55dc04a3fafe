#include "core/rip/CueSheetText.h"

#include <cstdio>
#include <filesystem>
#include <optional>

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

// The lines of one audio track's file: its name, number, texts, the flags the TOC gives it,
// and the frames before it that no file holds (from `gapFrom` on) as its PREGAP.
std::string TrackLines(const TocDescriptor& d, const RipJobItem& item, const std::string& file,
                       std::optional<std::uint32_t> gapFrom) {
    std::string lines = "FILE " + Quoted(file) + " WAVE\n";
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02u AUDIO\n", d.trackNumber);
    lines += line;
    lines += "    TITLE " + Quoted(item.name) + "\n";
    if (!item.track.Artist.empty())
        lines += "    PERFORMER " + Quoted(item.track.Artist) + "\n";
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
    if (gapFrom && d.lba > *gapFrom)
        lines += "    PREGAP " + Time(d.lba - *gapFrom) + "\n";
    return lines + "    INDEX 01 00:00:00\n";
}

// The lines before the tracks: the disc's id, the program, a word on trimmed tracks, and
// the album's texts.
std::string HeaderLines(const RipJob& job, const std::string& program, bool trimmed) {
    std::string text;
    std::uint32_t freedbId = 0;
    if (FreedbDiscIdOfLbaToc(job.disc->rawToc, freedbId)) {
        char line[64];
        std::snprintf(line, sizeof line, "REM DISCID %08X\n", freedbId);
        text += line;
    }
    text += "REM COMMENT " + Quoted(program) + "\n";
    if (trimmed)
        text += "REM 文件已删除静音，音轨长度是文件的长度，不是光盘 TOC 的长度\n";
    const TrackInfo& album = job.items.front().track;
    if (!album.Artist.empty())
        text += "PERFORMER " + Quoted(album.Artist) + "\n";
    if (!album.Album.empty())
        text += "TITLE " + Quoted(album.Album) + "\n";
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
    for (std::size_t i = 0; i + 1 < toc.descriptors.size(); ++i) {
        const TocDescriptor& d = toc.descriptors[i];
        char line[128];
        if (d.IsData()) {
            std::snprintf(line, sizeof line, "REM DATA TRACK %02u LBA %u NOT RIPPED\n",
                          d.trackNumber, d.lba);
            body += line;
            gapFrom = d.lba;
            continue;
        }
        const RipJobItem* item = ItemOfTrack(job, static_cast<int>(i));
        if (!item || item->outputPath.empty()) {
            sheet.problem = "并非所有音轨都已抓取";
            return sheet;
        }
        const std::string file =
            std::filesystem::path(item->outputPath).lexically_relative(cueFolder).string();
        if (file.empty() || Quoted(file) != "\"" + file + "\"") {
            sheet.problem = "文件名不能写入 cue 表: " + item->outputPath;
            return sheet;
        }
        const TrackRange range = disc.trackRanges[i];
        trimmed = trimmed || range.start != item->start || range.end != item->end;

        body += TrackLines(d, *item, file, gapFrom);
        first = false;
        gapFrom.reset();
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

    sheet.text = HeaderLines(job, program, trimmed) + body;
    return sheet;
}

}  // namespace korvida
