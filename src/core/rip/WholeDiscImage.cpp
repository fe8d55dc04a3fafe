#include "core/rip/WholeDiscImage.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "core/audio/WavFile.h"
#include "core/cdrom/DiscCodes.h"
#include "core/cdrom/Toc.h"
#include "core/disc/DiscInfo.h"
#include "core/encode/EncodeTask.h"
#include "core/ini/WriteFileAtomically.h"
#include "core/jobs/JobLog.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/rip/CueSheetText.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

// As the rip log is named: the album, through the replacement strings and the length cut.
constexpr const char* kAlbumRule = "<artist> - <album>";

const RipJobItem* ItemOfTrack(const RipJob& job, int index) {
    for (const RipJobItem& item : job.items)
        if (item.index == index)
            return &item;
    return nullptr;
}

}  // namespace

std::string WholeDiscImageRefusal(const Settings& settings) {
    if (!settings.WholeDiscImage)
        return {};
    if (settings.OutputFormat != kOutputWav && settings.OutputFormat != kOutputFlac)
        return "整张光盘映像只能是 WAV 或 FLAC 文件：有损格式不能保留每条音轨准确的长度。";
    // Shortened tracks would move every index after them away from the disc's.
    if (settings.DeleteSilence)
        return "整张光盘映像不能删除静音：音轨的位置将不再是光盘上的位置。";
    return {};
}

std::string WholeDiscImageRefusal(const RipJob& job) {
    if (std::string refusal = WholeDiscImageRefusal(job.settings); !refusal.empty())
        return refusal;
    if (!job.settings.WholeDiscImage || !job.disc)
        return {};
    const TocView toc = ParseTocReply(job.disc->rawToc.data(), job.disc->rawToc.size());
    for (std::size_t i = 0; i + 1 < toc.descriptors.size(); ++i)
        if (!toc.descriptors[i].IsData() && !ItemOfTrack(job, static_cast<int>(i)))
            return "整张光盘映像需要选中所有音频音轨。";
    return {};
}

FlacCueLayout WholeDiscLayout(const RipJob& job, std::uint32_t frames) {
    FlacCueLayout layout;
    layout.frames = frames;
    if (!job.disc || job.items.empty())
        return layout;
    if (IsCatalogNumber(job.disc->catalog))
        layout.catalog = job.disc->catalog;
    const std::uint32_t base = job.items.front().start;
    const bool hidden = job.items.front().index < 0;
    const TocView toc = ParseTocReply(job.disc->rawToc.data(), job.disc->rawToc.size());
    bool firstAudio = true;
    for (std::size_t i = 0; i + 1 < toc.descriptors.size(); ++i) {
        const TocDescriptor& d = toc.descriptors[i];
        const RipJobItem* item = ItemOfTrack(job, static_cast<int>(i));
        if (d.IsData() || !item || d.lba < base)
            continue;
        FlacCueTrack track;
        track.number = d.trackNumber;
        track.preEmphasis = d.adrControl & 0x01;
        if (IsIsrc(item->isrc))
            track.isrc = item->isrc;
        const TrackIndexes* indexes = job.indexes.detected && i < job.indexes.tracks.size()
                                          ? &job.indexes.tracks[i]
                                          : nullptr;
        if (firstAudio && hidden)
            track.indexes.emplace_back(0, 0);
        else if (indexes && indexes->index0 && *indexes->index0 >= base && *indexes->index0 < d.lba)
            track.indexes.emplace_back(0, *indexes->index0 - base);
        track.indexes.emplace_back(1, d.lba - base);
        for (std::size_t k = 0; indexes && k < indexes->later.size(); ++k)
            track.indexes.emplace_back(static_cast<int>(k) + 2, indexes->later[k] - base);
        layout.tracks.push_back(std::move(track));
        firstAudio = false;
    }
    return layout;
}

int WholeDiscImage::Fail(const std::string& path, const std::string& why) {
    LogFileError(job_.context, path, why);
    wav_.Discard();
    return 0;
}

int WholeDiscImage::Append() {
    TemporaryFile track(job_.tempWavPath);
    if (!wav_.owned()) {
        const Settings& settings = job_.settings;
        const RipJobItem& first = job_.items.front();
        const std::string folder =
            std::filesystem::path(PlannedOutputPath(first, settings.OutputFolder, ".wav", settings))
                .parent_path()
                .string();
        MakeSureDirectoryPathExists(folder);
        const char* extension = settings.OutputFormat == kOutputFlac ? ".flac" : ".wav";
        imagePath_ = PlannedOutputPath(NamingFieldsOf(first), folder, extension, kAlbumRule,
                                       settings.ReplaceStr);
        std::string error;
        wav_ = TemporaryFile::CreateBeside(imagePath_, &error);
        if (!wav_.owned())
            return Fail(imagePath_, error);
        const WavHeaderBytes header = BuildWavHeader(WavFormat{}, 0);
        std::ofstream out(wav_.path(), std::ios::binary | std::ios::trunc);
        if (!out.write(reinterpret_cast<const char*>(header.data()), header.size()) || !out.flush())
            return Fail(wav_.path(), "写入失败");
    }
    std::ifstream in(track.path(), std::ios::binary);
    std::ofstream out(wav_.path(), std::ios::binary | std::ios::app);
    if (!in || !in.seekg(static_cast<std::streamoff>(kWavHeaderSize)))
        return Fail(track.path(), "读取失败");
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got > 0 && !out.write(buffer.data(), got))
            return Fail(wav_.path(), "写入失败");
        dataBytes_ += static_cast<std::uint64_t>(got);
    }
    if (in.bad())
        return Fail(track.path(), "读取失败");
    // The stream's buffer goes out on flush: a full disk shows here, not in write().
    if (!out.flush())
        return Fail(wav_.path(), "写入失败");
    return 1;
}

int WholeDiscImage::Finish(const EncoderFormats& encoders) {
    if (!wav_.owned() || dataBytes_ > 0xFFFFFFFFu - kWavHeaderSize)
        return Fail(imagePath_, "没有音频");
    {
        const WavHeaderBytes header =
            BuildWavHeader(WavFormat{}, static_cast<std::uint32_t>(dataBytes_));
        std::fstream out(wav_.path(), std::ios::binary | std::ios::in | std::ios::out);
        if (!out.write(reinterpret_cast<const char*>(header.data()), header.size()) || !out.flush())
            return Fail(wav_.path(), "写入失败");
    }
    const auto frames = static_cast<std::uint32_t>(dataBytes_ / kCdFrameBytes);
    std::string error;
    if (job_.settings.OutputFormat == kOutputWav) {
        if (!wav_.MoveTo(imagePath_, &error))
            return Fail(imagePath_, error);
    } else {
        // The album is the file's one item: its tags name the album, with no track number.
        EncodeItem album;
        album.track = job_.items.front().track;
        album.track.Title = album.track.Album;
        album.name = album.track.Album;
        album.discNumber = job_.items.front().discNumber;
        album.discCount = job_.items.front().discCount;
        const std::string encoded = imagePath_ + ".part";
        EncodeTask task;
        task.item = &album;
        task.inputPath = wav_.path();
        task.temporaryInput = std::make_shared<TemporaryFile>(wav_.Keep());
        task.outputPath = encoded;
        task.outputFolder = std::filesystem::path(imagePath_).parent_path().string();
        task.coverArt = job_.coverArt;
        TemporaryFile part(encoded);
        if (!FindEncoder(encoders, kOutputFlac).encode(job_.context, task) || job_.context.aborted)
            return 0;
        task.temporaryInput.reset();
        if (!AddFlacCueSheet(encoded, WholeDiscLayout(job_, frames), &error))
            return Fail(encoded, error);
        if (!part.MoveTo(imagePath_, &error))
            return Fail(imagePath_, error);
    }
    for (RipJobItem& item : job_.items)
        item.outputPath = imagePath_;
    // Its cue sheet, whatever the rip log settings: without it the image is one long track.
    const std::string folder = std::filesystem::path(imagePath_).parent_path().string();
    const std::string cuePath = std::filesystem::path(imagePath_).replace_extension(".cue");
    const CueSheet sheet = CueSheetText(job_, folder, "Korvida CD Ripper " KORVIDA_VERSION);
    if (!sheet.problem.empty()) {
        LogPlain(job_.context, "错误: 不能写入整张光盘映像的 cue 表: " + sheet.problem);
        return 0;
    }
    if (!WriteFileAtomically(cuePath, sheet.text, &error))
        return Fail(cuePath, error);
    job_.cueSheetPath = cuePath;
    LogPlain(job_.context, "整张光盘映像: " + imagePath_);
    return 1;
}

}  // namespace korvida
