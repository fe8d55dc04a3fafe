#include "core/rip/ExtractTrack.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/audio/Normalisation.h"
#include "core/audio/WavFile.h"
#include "core/cdrom/CSCSIDriver.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/RipJob.h"
#include "core/platform/ErrorText.h"
#include "core/platform/TemporaryFile.h"
#include "core/platform/TickCount.h"
#include "core/rip/OutputNameClashes.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipThread.h"
#include "core/settings/Settings.h"
#include "core/verify/StoreTrackChecksums.h"
#include "core/verify/TrackChecksumAccumulator.h"

namespace korvida {
namespace {

// The frames that always stay after trimming: one second.
constexpr std::uint32_t kMinimumFrames = 75;

// What the progress window shows while a temporary file is normalised.
constexpr char kTemporaryWaveName[] = "临时 Wave 文件     ";

// The driver's own words for the failed read, else the system's text for an I/O error.
std::string ReadFailureText(const CSCSIDriver* driver) {
    std::string text = driver ? driver->LastErrorText() : std::string();
    return text.empty() ? ErrorText(EIO) : text;
}

int ReadFrames(CSCSIDriver* driver, std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) {
    if (driver == nullptr)
        return 0;
    AudioReadRequest request;
    request.startLba = lba;
    request.sectorCount = count;
    request.byteLength = count * kCdFrameBytes;
    request.buffer = buffer;
    return driver->ReadAudio(request);
}

// Frames that trimming leaves out of the file are still read, for the checksums only:
// they describe the track as it is on the disc, whatever the file keeps of it.
void ReadForChecksums(CSCSIDriver* driver, std::uint32_t from, std::uint32_t to,
                      std::vector<std::uint8_t>& buffer, TrackChecksumAccumulator& sums) {
    const auto bufferFrames = static_cast<std::uint32_t>(buffer.size() / kCdFrameBytes);
    for (std::uint32_t lba = from; lba < to;) {
        const std::uint32_t count = std::min(to - lba, bufferFrames);
        if (ReadFrames(driver, lba, count, buffer.data()))
            sums.Feed(buffer.data(), std::size_t{count} * kCdFrameBytes);
        else
            sums.Skip(lba, count);
        lba += count;
    }
}

}  // namespace

TrackRange TrimSilence(TrackRange track, int leadingFrames, int trailingFrames) {
    const std::uint32_t length = track.end > track.start ? track.end - track.start : 0;
    if (length <= kMinimumFrames)
        return track;
    const auto lead = static_cast<std::uint32_t>(std::max(leadingFrames, 0));
    const auto trail = static_cast<std::uint32_t>(std::max(trailingFrames, 0));
    // The leading cut stops one second before the end; the trailing cut then stops one
    // second after the new start. The same as "start + lead, at most end - 75; end - trail,
    // at least start + 75", without the unsigned wrap on short tracks.
    TrackRange trimmed;
    trimmed.start = track.start + std::min(lead, length - kMinimumFrames);
    trimmed.end = track.end - std::min(trail, track.end - trimmed.start - kMinimumFrames);
    return trimmed;
}

std::uint32_t WarmUpStart(std::uint32_t trackStart, std::uint32_t bufferFrames) {
    return trackStart <= bufferFrames ? 0 : trackStart - bufferFrames;
}

int Extract(RipJob& job, const Settings& settings) {
    RipJobItem& item = *job.current;
    item.startTick = TickCount();
    const TrackRange whole{item.start, item.end};  // the checksums' range, before trimming

    if (settings.DeleteSilence) {
        const TrackRange trimmed =
            TrimSilence({item.start, item.end}, settings.LeadingFrame, settings.TrailingFrame);
        item.start = trimmed.start;
        item.end = trimmed.end;
    }
    const std::uint32_t frames = item.end > item.start ? item.end - item.start : 0;
    const std::uint64_t size = std::uint64_t{frames} * kCdFrameBytes;

    // The file being written: a temporary WAV for the encoder (made here), or the WAV the
    // user wants, written beside its name and moved there at the end. Every failure
    // return below deletes it.
    TemporaryFile wav;
    std::string folder;      // keepWav: the output folder with one trailing '/'
    std::string spaceProbe;  // the path whose file system must hold the track
    if (job.keepWav) {
        folder = OutputBase(settings.OutputFolder);
        spaceProbe = folder;
    } else {
        wav = TemporaryFile::Create(settings.TEMPDIRECTORY, "PW", ".tmp",
                                    TemporaryFile::Access::kPrivate);
        if (!wav.owned()) {
            LogPlain(job.context, "错误: 不能打开临时文件 " +
                                      NormalizedFolder(settings.TEMPDIRECTORY) + "PW*.tmp！");
            return 0;
        }
        spaceProbe = wav.path();
    }

    const FreeDiskSpace space = FreeSpaceFor(job.context, spaceProbe);
    if (!HasRoomFor(space, size)) {
        LogPlain(job.context, "错误: 磁盘 " + space.mountPoint + " 没有足够的可用空间！");
        return 0;
    }

    // One buffer for every read of the track, so memory does not grow with its length.
    const auto bufferFrames = static_cast<std::uint32_t>(std::max(settings.BufferSize, 1));
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(std::size_t{bufferFrames} * kCdFrameBytes);
    } catch (const std::bad_alloc&) {
        LogPlain(job.context, "错误: 内存不足！");
        return 0;
    }

    // Spins the drive up and settles its read position just before the track; the data
    // is thrown away.
    if (!ReadFrames(job.driver, WarmUpStart(item.start, bufferFrames), bufferFrames,
                    buffer.data())) {
        LogPlain(job.context, "错误: " + ReadFailureText(job.driver) + "！");
        if (!settings.BoolSkipError)
            return 0;
    }

    std::string path;  // the name the user (or the encoder) knows the file by
    BinaryFile file;
    if (job.keepWav) {
        path = OutputPath(item, folder, RipOutputExtension(kOutputWav), settings);
        if (!path.empty())
            wav = TemporaryFile::CreateBeside(path);
        if (!wav.owned() || !file.Open(wav.path(), BinaryFile::Mode::kCreate)) {
            LogPlain(job.context, "错误: 不能打开文件 " + path + "！");
            return 0;
        }
    } else {
        path = wav.path();
        job.tempWavPath = path;
        if (!file.Open(path, BinaryFile::Mode::kCreate)) {
            LogPlain(job.context, "错误: 不能打开临时文件 " + path + "！");
            return 0;
        }
    }
    if (!WriteCdAudioWavHeader(file, 0)) {
        LogFileError(job.context, path, file.lastErrorText());
        return 0;
    }
    std::uint32_t bytesWritten = 0;

    const std::uint32_t t0 = TickCount();
    LogPlain(job.context, "正在抓取 " + item.name + " ...");

    const bool normalize = settings.Normalize != 0;
    PeakMeter peak;
    std::optional<TrackChecksumAccumulator> sums;
    if (settings.AccurateRipVerify) {
        sums.emplace(job.accurateRip.PositionOf(item.index));
        ReadForChecksums(job.driver, whole.start, item.start, buffer, *sums);
    }
    bool cancelled = false;
    for (std::uint32_t lba = item.start; lba < item.end;) {
        if (ConsumeCancelRequest(job.context)) {
            LogPlain(job.context, "用户取消操作。");
            job.context.aborted = true;
            cancelled = true;
            break;
        }
        const std::uint32_t count = std::min(item.end - lba, bufferFrames);
        const std::size_t bytes = std::size_t{count} * kCdFrameBytes;
        if (ReadFrames(job.driver, lba, count, buffer.data())) {
            if (sums)
                sums->Feed(buffer.data(), bytes);
            if (normalize)
                peak.Update(buffer.data(), bytes);
            if (!file.Write(buffer.data(), bytes)) {
                LogFileError(job.context, path, file.lastErrorText());
                return 0;
            }
            bytesWritten += static_cast<std::uint32_t>(bytes);
            // The chunk's first frame: the figure lags one chunk behind the reads.
            const std::uint64_t perMille = std::uint64_t{lba - item.start} * 1000 / frames;
            if (job.context.progressWindow)
                job.context.progressWindow->post(WM_EXTRACT_PROGRESS,
                                                 static_cast<std::intptr_t>(perMille),
                                                 static_cast<std::intptr_t>(TickCount() - t0));
        } else {
            LogPlain(job.context, "错误: " + ReadFailureText(job.driver) + "！");
            if (!settings.BoolSkipError)
                return 0;
            // Skipped: the file is shorter by this chunk.
            if (sums)
                sums->Skip(lba, count);
        }
        lba += count;
    }
    if (sums && !cancelled) {
        ReadForChecksums(job.driver, item.end, whole.end, buffer, *sums);
        StoreTrackChecksums(job, *sums, whole, normalize);
    }
    if (job.context.progressWindow)
        job.context.progressWindow->post(WM_EXTRACT_PROGRESS, 1000,
                                         static_cast<std::intptr_t>(TickCount() - t0));

    if (!WriteCdAudioWavHeader(file, bytesWritten) || !file.Close()) {
        LogFileError(job.context, path, file.lastErrorText());
        return 0;
    }

    if (normalize) {
        if (job.context.progressWindow)
            job.context.progressWindow->send(WM_ITEM_STATUS, 1, 0,
                                             job.keepWav ? path : std::string(kTemporaryWaveName));
        // A silent track has no gain (peak 0); ApplyGain then leaves it as it is.
        const double gain = NormalizeGain(settings.NormalizeRatio, peak.Peak()).value_or(0.0);
        // The track counts as extracted whatever the gain pass says, but a cancel seen
        // there cancels the track: the rip thread stops at once, so no encoder stage would
        // ever read or delete the temporary file.
        ApplyGain(job.context.progressWindow, wav.path(), gain, job.context);
        if (job.context.aborted)
            cancelled = true;
    }

    if (job.keepWav) {
        // A cancelled WAV stays too: it is well-formed and holds the frames read so far.
        std::string error;
        if (!wav.MoveTo(path, &error)) {
            LogFileError(job.context, path, error);
            return 0;
        }
        item.outputPath = path;
        item.outputFolder = folder;
    } else if (!cancelled) {
        wav.Keep();  // the encoder's input, deleted by the encoder
    }
    if (!cancelled)
        LogPlain(job.context, "抓取 " + item.name + " 完成！");
    return 1;
}

}  // namespace korvida
