#include "core/rip/ExtractTrack.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/audio/Normalisation.h"
#include "core/audio/WavFile.h"
#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Toc.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/ErrorText.h"
#include "core/platform/TemporaryFile.h"
#include "core/platform/TickCount.h"
#include "core/rip/OffsetReader.h"
#include "core/rip/OutputNameClashes.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipStep.h"
#include "core/rip/RipThread.h"
#include "core/rip/StoreTrackChecksums.h"
#include "core/settings/Settings.h"
#include "core/verify/Crc32.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "core/verify/VerificationText.h"

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

// The frames the warm-up and the read offset may reach into: the audio around the track
// as the disc's TOC has it, the rip's own or else the drive's. A drive answers an audio
// read that reaches a data track or the lead-out with an error or with data sectors.
ReadableArea AudioAreaOf(RipJob& job) {
    std::uint8_t toc[DiscInfo::kRawTocSize] = {};
    if (job.disc && job.disc->trackCount > 0)
        std::memcpy(toc, job.disc->rawToc.data(), sizeof toc);
    else if (job.driver == nullptr || !job.driver->ReadTOC(toc, 0))
        return {};  // the reads past the disc then fail, and are handled as any failed read
    return AudioAreaAround(ParseTocReply(toc, sizeof toc), job.current->start);
}

enum class PassEnd { kDone, kCancelled, kFailed };

// One read of the whole track.
struct Pass {
    BinaryFile* file = nullptr;  // null: the test read, which writes nothing
    PeakMeter* peak = nullptr;   // normalising: the level of what is written
    bool crc = false;            // test and copy: the CRC32 of the bytes read
    // Verification: the checksums of the track, fed every chunk of this read.
    TrackChecksumAccumulator* sums = nullptr;
    int progressFrom = 0;  // the per-mille range this read's progress takes
    int progressSpan = 1000;

    std::uint32_t crc32 = 0;
    std::uint32_t bytesWritten = 0;
    std::uint32_t zeroSamples = 0;
    std::vector<std::uint32_t> skipped;  // first frame of every read left out
};

PassEnd ReadPass(RipJob& job, const Settings& settings, const ReadableArea& area,
                 std::vector<std::uint8_t>& buffer, const std::string& path, std::uint32_t t0,
                 Pass& pass) {
    const RipJobItem& item = *job.current;
    OffsetReader reader(job.driver, {item.start, item.end}, settings.ReadOffset, area,
                        static_cast<std::uint32_t>(buffer.size() / kCdFrameBytes), buffer);
    std::uint32_t crc = 0;
    for (;;) {
        if (ConsumeCancelRequest(job.context)) {
            if (FirstToReportCancel(job.context))
                LogPlain(job.context, "用户取消操作。");
            job.context.aborted = true;
            return PassEnd::kCancelled;
        }
        const OffsetReader::Result got = reader.Next();
        if (got == OffsetReader::Result::kDone)
            break;
        if (got == OffsetReader::Result::kFailed) {
            LogPlain(job.context, "错误: " + ReadFailureText(job.driver) + "！");
            if (!settings.BoolSkipError)
                return PassEnd::kFailed;
            pass.skipped.push_back(reader.failedFrame());
            if (pass.sums)
                pass.sums->Skip(reader.failedFrame(),
                                static_cast<std::uint32_t>(buffer.size() / kCdFrameBytes));
            continue;  // skipped: the file is shorter by this chunk
        }

        // A chunk of the track's PCM bytes, as read (offset corrected).
        const std::uint8_t* pcm = reader.data();
        const std::size_t bytes = reader.bytes();
        if (pass.crc)
            crc = Crc32(crc, pcm, bytes);
        if (pass.sums)
            pass.sums->Feed(pcm, bytes);
        if (pass.file) {
            if (pass.peak)
                pass.peak->Update(pcm, bytes);
            if (!pass.file->Write(pcm, bytes)) {
                LogFileError(job.context, path, pass.file->lastErrorText());
                return PassEnd::kFailed;
            }
            pass.bytesWritten += static_cast<std::uint32_t>(bytes);
        }

        // The chunk's first sample: the figure lags one chunk behind the reads.
        const std::uint64_t perMille =
            pass.progressFrom + reader.samplesBefore() *
                                    static_cast<std::uint64_t>(pass.progressSpan) /
                                    reader.totalSamples();
        if (job.context.progressWindow)
            job.context.progressWindow->post(WM_EXTRACT_PROGRESS,
                                             static_cast<std::intptr_t>(perMille),
                                             static_cast<std::intptr_t>(TickCount() - t0));
    }
    pass.crc32 = crc;
    pass.zeroSamples = reader.zeroSamples();
    return PassEnd::kDone;
}

// Frames that trimming leaves out of the file are still read, for the checksums only:
// they describe the track as it is on the disc, whatever the file keeps of it.
void ReadForChecksums(RipJob& job, const Settings& settings, const ReadableArea& area,
                      TrackRange range, std::vector<std::uint8_t>& buffer,
                      TrackChecksumAccumulator& sums) {
    if (range.end <= range.start)
        return;
    const auto chunkFrames = static_cast<std::uint32_t>(buffer.size() / kCdFrameBytes);
    OffsetReader reader(job.driver, range, settings.ReadOffset, area, chunkFrames, buffer);
    for (;;) {
        const OffsetReader::Result got = reader.Next();
        if (got == OffsetReader::Result::kDone)
            return;
        if (got == OffsetReader::Result::kFailed)
            sums.Skip(reader.failedFrame(), chunkFrames);
        else
            sums.Feed(reader.data(), reader.bytes());
    }
}

std::string Hex32(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string SignedNumber(int value) {
    return (value > 0 ? "+" : "") + std::to_string(value);
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

TrackRange WarmUpRead(std::uint32_t firstFrame, std::uint32_t bufferFrames, ReadableArea area) {
    const std::uint32_t end = std::max(area.end, area.first);
    const std::uint32_t start =
        std::clamp(firstFrame > bufferFrames ? firstFrame - bufferFrames : 0u, area.first, end);
    return {start, start + std::min(bufferFrames, end - start)};
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

    // Frames the reads may reach; found before the warm-up (a drive may be asked for its
    // TOC), so the warm-up still settles the drive just before the track's first read.
    const ReadableArea area = AudioAreaOf(job);

    // Spins the drive up and settles its read position just before the track; the data
    // is thrown away.
    const std::uint32_t firstFrame = OffsetReader(nullptr, {item.start, item.end},
                                                  settings.ReadOffset, area, bufferFrames, buffer)
                                         .firstReadFrame();
    const TrackRange warmUp = WarmUpRead(firstFrame, bufferFrames, area);
    if (warmUp.end > warmUp.start &&
        !ReadFrames(job.driver, warmUp.start, warmUp.end - warmUp.start, buffer.data())) {
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

    const std::uint32_t t0 = TickCount();
    const bool testAndCopy = settings.TestAndCopy != 0;
    TrackVerification& check = item.verification;
    bool cancelled = false;

    // Test and copy: the test read writes nothing; its CRC32 is what the copy must match.
    if (testAndCopy) {
        LogPlain(job.context, "正在测试 " + item.name + " ...");
        PostRipStep(job, RipStep::kTestRead);
        Pass test;
        test.crc = true;
        test.progressSpan = 500;
        const PassEnd end = ReadPass(job, settings, area, buffer, path, t0, test);
        if (end == PassEnd::kFailed)
            return 0;
        cancelled = end == PassEnd::kCancelled;
        check.readCrcs.push_back(test.crc32);
    }

    // The checksums cover the track as on the disc: the frames trimming cuts off its head
    // are read for them first, those of its tail at the end. Every read into the file
    // starts them afresh, so they describe the read the file holds.
    std::optional<TrackChecksumAccumulator> sums;
    auto startChecksums = [&] {
        if (!settings.AccurateRipVerify)
            return;
        sums.emplace(job.accurateRip.PositionOf(item.index), settings.CtdbVerify != 0);
        ReadForChecksums(job, settings, area, {whole.start, item.start}, buffer, *sums);
    };

    const bool normalize = settings.Normalize != 0;
    PeakMeter peak;
    Pass copy;
    copy.file = &file;
    copy.peak = normalize ? &peak : nullptr;
    copy.crc = testAndCopy;
    copy.progressFrom = testAndCopy ? 500 : 0;
    copy.progressSpan = testAndCopy ? 500 : 1000;
    // Every read after the test read must come from the disc: a drive answering from its
    // cache would repeat a misread and make it look confirmed.
    const std::uint32_t endFrame =
        std::max(firstFrame, OffsetReader(nullptr, {item.start, item.end}, settings.ReadOffset,
                                          area, bufferFrames, buffer)
                                 .endFrame());
    auto defeatCache = [&] {
        if (job.driver)
            check.cacheDefeat = job.driver->DefeatCache(firstFrame, endFrame - firstFrame);
    };
    if (!cancelled) {
        if (testAndCopy) {
            defeatCache();
            PostRipStep(job, RipStep::kCopyRead);
        }
        LogPlain(job.context, "正在抓取 " + item.name + " ...");
        startChecksums();
        copy.sums = sums ? &*sums : nullptr;
        const PassEnd end = ReadPass(job, settings, area, buffer, path, t0, copy);
        if (end == PassEnd::kFailed)
            return 0;
        cancelled = end == PassEnd::kCancelled;
    }

    // A copy that disagrees with the test is read again, each time into the file, until a
    // read agrees with one before it: the file then holds bytes two reads agree on.
    if (testAndCopy && !cancelled) {
        check.readCrcs.push_back(copy.crc32);
        auto agreeing = [&check]() -> std::size_t {
            const std::uint32_t last = check.readCrcs.back();
            for (std::size_t i = 0; i + 1 < check.readCrcs.size(); ++i)
                if (check.readCrcs[i] == last)
                    return i;
            return check.readCrcs.size();
        };
        std::size_t agreed = agreeing();
        if (agreed == check.readCrcs.size())
            LogPlain(job.context, "测试与复制: 测试读取 (CRC32 " + Hex32(check.readCrcs[0]) +
                                      ") 与复制读取 (CRC32 " + Hex32(copy.crc32) +
                                      ") 不一致，重新读取。");
        while (agreed == check.readCrcs.size() && check.rereads < settings.RetryTimes) {
            ++check.rereads;
            LogPlain(job.context, "正在重新抓取 " + item.name + " (第 " +
                                      std::to_string(check.rereads) + " 次) ...");
            PostRipStep(job, RipStep::kReread, check.rereads);
            if (!file.Close() || !file.Open(wav.path(), BinaryFile::Mode::kCreate) ||
                !WriteCdAudioWavHeader(file, 0)) {
                LogFileError(job.context, path, file.lastErrorText());
                return 0;
            }
            peak = PeakMeter();
            defeatCache();
            copy.bytesWritten = 0;
            copy.skipped.clear();
            startChecksums();
            copy.sums = sums ? &*sums : nullptr;
            const PassEnd end = ReadPass(job, settings, area, buffer, path, t0, copy);
            if (end == PassEnd::kFailed)
                return 0;
            if (end == PassEnd::kCancelled) {
                cancelled = true;
                break;
            }
            check.readCrcs.push_back(copy.crc32);
            agreed = agreeing();
        }
        if (!cancelled) {
            check.tested = true;
            check.testCrc = check.readCrcs[0];
            check.copyCrc = check.readCrcs.back();
            check.suspicious = agreed == check.readCrcs.size();
            check.agreedWith = check.suspicious ? -1 : static_cast<int>(agreed);
            if (check.suspicious) {
                LogPlain(job.context, std::string(kSuspiciousMark) + ": " + item.name + " 的 " +
                                          std::to_string(check.readCrcs.size()) +
                                          " 次读取互不一致，文件保存的是最后一次读取！");
            } else if (check.rereads == 0) {
                LogPlain(job.context,
                         "测试与复制: 两次读取一致 (CRC32 " + Hex32(copy.crc32) + ")。");
            } else {
                LogPlain(job.context, "测试与复制: 第 " + std::to_string(check.readCrcs.size()) +
                                          " 次读取与第 " + std::to_string(agreed + 1) +
                                          " 次读取一致 (CRC32 " + Hex32(copy.crc32) + ")。");
            }
        }
    }

    check.offsetZeroSamples = copy.zeroSamples;
    check.skippedSectors = copy.skipped;
    if (sums && !cancelled) {
        ReadForChecksums(job, settings, area, {item.end, whole.end}, buffer, *sums);
        StoreTrackChecksums(job, *sums, whole, normalize);
    }
    if (copy.zeroSamples > 0)
        LogPlain(job.context, "读取偏移 " + SignedNumber(settings.ReadOffset) + ": " +
                                  std::to_string(copy.zeroSamples) +
                                  " 个采样在光盘之外，以零填充。");
    const std::uint32_t bytesWritten = copy.bytesWritten;
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
