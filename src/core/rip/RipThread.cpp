#include "core/rip/RipThread.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriver.h"

#include "core/audio/LoudnessMeter.h"
#include "core/encode/EncodeTask.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerPool.h"
#include "core/platform/TemporaryFile.h"
#include "core/rip/AlbumCoverFile.h"
#include "core/rip/DeEmphasiseTrack.h"
#include "core/rip/DetectGaps.h"
#include "core/rip/ExtractTrack.h"
#include "core/rip/FinishCtdbVerification.h"
#include "core/rip/FinishVerification.h"
#include "core/rip/HiddenTrack.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipStep.h"
#include "core/rip/TagAlbumReplayGain.h"
#include "core/rip/WholeDiscImage.h"
#include "core/rip/WriteRipLogIfAsked.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"
#include "core/verify/AccurateRipLookup.h"
#include "core/verify/CtdbLookup.h"

namespace korvida {
namespace {

// The encoder's part of the current item: the temporary WAV extraction left, and the
// file the naming rule gives in the output folder (its folders made here).
EncodeTask PlanEncode(RipJob& job, const EncoderFormat& format, LoudnessMeter* loudness) {
    RipJobItem& item = *job.current;
    EncodeTask task;
    task.item = &item;
    task.inputPath = job.tempWavPath;
    if (!job.keepWav)
        task.temporaryInput = std::make_shared<TemporaryFile>(job.tempWavPath);
    task.outputFolder = job.settings.OutputFolder;
    task.outputPath = OutputPath(item, task.outputFolder, format.extension, job.settings);
    task.coverArt = job.coverArt;
    task.loudness = loudness;
    return task;
}

int Encode(RipJob& job, const EncoderFormat& format, LoudnessMeter* loudness) {
    EncodeTask task = PlanEncode(job, format, loudness);
    return format.encode(job.context, task);
}

using Meters = std::vector<std::unique_ptr<LoudnessMeter>>;

// Every way a rip ends. A finished rip takes the lookup's verdict first (a failed one
// does not wait for it) and, when every track came through, the album's ReplayGain; the
// rip log goes out before the end message, whose receiver reads its path.
void EndRip(RipJob& job, unsigned message, AccurateRipLookup& lookup, const Meters& meters) {
    const Settings& settings = job.settings;
    if (message == WM_JOB_DONE) {
        if (settings.AccurateRipVerify && settings.AccurateRipLookup && !job.context.aborted)
            PostRipStep(job, RipStep::kAwaitAccurateRip);
        FinishVerification(job, lookup);
        if (job.ctdbLookup) {
            if (!job.context.aborted)
                PostRipStep(job, RipStep::kAwaitCtdb);
            FinishCtdbVerification(job, *job.ctdbLookup, kLookupGraceMs);
        }
    }
    if (message == WM_JOB_DONE && !job.context.aborted && !meters.empty()) {
        PostRipStep(job, RipStep::kAlbumReplayGain);
        TagAlbumReplayGain(job, meters);
    }
    if (settings.AccurateRipWriteLog)
        PostRipStep(job, RipStep::kRipLog);
    WriteRipLogIfAsked(job, message);
    SendJobEnd(job, message);
}

// cover.jpg beside the album's first file, once that file is complete (its folder exists
// then). A cover that cannot be written costs the rip nothing but a log line.
void WriteCoverFileOnce(RipJob& job, const RipJobItem& item, bool& written) {
    if (written || job.settings.CoverFile == 0 || !job.coverArt || item.outputPath.empty())
        return;
    written = true;
    std::string error;
    if (!WriteAlbumCoverFile(job.coverArt, item.outputPath, &error))
        LogPlain(job.context, "错误: 不能保存封面图片 " + error + "！");
}

// The read speed the user chose, asked of the drive before its first read; 0 asks nothing.
// A drive that refuses reads at its own speed, which costs the rip nothing but a line.
void SetReadSpeed(RipJob& job, int speed) {
    if (speed <= 0 || job.driver == nullptr)
        return;
    const int kbPerSecond = std::min(speed * 1764 / 10, 0xFFFE);
    if (job.driver->SetReadSpeed(static_cast<std::uint16_t>(kbPerSecond))) {
        LogPlain(job.context, "读取速度: " + std::to_string(speed) + "× (" +
                                  std::to_string(kbPerSecond) + " kB/s)");
    } else {
        LogPlain(job.context, "光驱不接受读取速度 " + std::to_string(speed) +
                                  "×，以光驱自己的速度读取: " + job.driver->LastErrorText());
    }
}

void AnnounceItem(RipJob& job, const RipJobItem& item) {
    if (job.context.progressWindow)
        job.context.progressWindow->post(WM_ITEM_STATUS, 0, 0, item.name);
    if (job.context.mainWindow)
        job.context.mainWindow->post(WM_CURRENT_TRACK, item.index);
}

LoudnessMeter* MeterOf(const Meters& meters, std::size_t i) {
    return meters.empty() ? nullptr : meters[i].get();
}

// Read a track, encode it, read the next.
void RipInTurn(RipJob& job, const EncoderFormats& encoders, AccurateRipLookup& lookup,
               const Meters& meters) {
    const Settings& settings = job.settings;
    const int format = settings.OutputFormat;
    bool coverWritten = false;
    // A whole-disc image takes each track's samples instead of an encoder.
    std::unique_ptr<WholeDiscImage> image;
    if (settings.WholeDiscImage)
        image = std::make_unique<WholeDiscImage>(job);
    for (std::size_t i = 0; i < job.items.size(); ++i) {
        RipJobItem& item = job.items[i];
        job.current = &item;
        AnnounceItem(job, item);
        if (!Extract(job, settings) || !DeEmphasiseTrack(job)) {
            EndRip(job, WM_JOB_FAILED, lookup, meters);
            return;
        }
        if (job.context.aborted)
            break;
        if (image) {
            if (!image->Append()) {
                EndRip(job, WM_JOB_FAILED, lookup, meters);
                return;
            }
            continue;
        }
        if (format != kOutputWav &&
            !Encode(job, FindEncoder(encoders, format), MeterOf(meters, i))) {
            EndRip(job, WM_JOB_FAILED, lookup, meters);
            return;
        }
        if (job.context.aborted)
            break;
        WriteCoverFileOnce(job, item, coverWritten);
    }
    if (image && !job.context.aborted) {
        if (!image->Finish(encoders)) {
            EndRip(job, WM_JOB_FAILED, lookup, meters);
            return;
        }
        WriteCoverFileOnce(job, job.items.front(), coverWritten);
    }
    EndRip(job, WM_JOB_DONE, lookup, meters);
}

// The drive is read straight through on this thread; each finished track is encoded by
// the pool behind it. The end of the rip (verification, the album's ReplayGain, rip log)
// waits for every encoder; a track's meter is written only by the worker encoding it.
void RipPipelined(RipJob& job, const EncoderFormat& format, int workers, AccurateRipLookup& lookup,
                  const Meters& meters) {
    const Settings& settings = job.settings;
    bool failed = false;
    {
        WorkerPool pool(job.context, job.items.size(), workers, WorkerPool::Shown::kBehind);
        for (std::size_t i = 0; i < job.items.size(); ++i) {
            RipJobItem& item = job.items[i];
            job.current = &item;
            AnnounceItem(job, item);
            if (!Extract(job, settings) || !DeEmphasiseTrack(job)) {
                failed = true;
                break;
            }
            if (job.context.aborted)
                break;
            // The task owns the temporary WAV: a track that is never encoded (a failure or
            // a cancel behind it) or whose stage gives up early leaves no file.
            auto work = [&format, task = PlanEncode(job, format, MeterOf(meters, i))](
                            JobContext& context) mutable { return format.encode(context, task); };
            if (!pool.Submit(static_cast<int>(i) + 1, item.name, std::move(work)))
                break;
        }
        if (!failed)
            PostRipStep(job, RipStep::kReadingDone);
        pool.Finish();
        if (pool.failed())
            failed = true;
    }
    // The first file's folder is known once its encoder is through.
    bool coverWritten = false;
    for (const RipJobItem& item : job.items)
        if (!item.outputPath.empty()) {
            WriteCoverFileOnce(job, item, coverWritten);
            break;
        }
    EndRip(job, failed ? WM_JOB_FAILED : WM_JOB_DONE, lookup, meters);
}

}  // namespace

void RipThread(RipJob& job, const EncoderFormats& encoders) {
    const Settings& settings = job.settings;
    const int format = settings.OutputFormat;
    // Runs while the drive reads; the end of the rip waits for it a little at most.
    AccurateRipLookup lookup;
    lookup.Start(job.accurateRip, settings);
    CtdbLookup ctdbLookup;
    StartCtdbLookup(job, ctdbLookup);
    job.ctdbLookup = &ctdbLookup;
    for (const int index : job.skippedDataTracks)
        LogPlain(job.context, FormatText("跳过数据音轨 %02d。", index + 1));
    SetReadSpeed(job, settings.ReadSpeed);
    if (settings.DetectGaps && job.driver && job.disc) {
        job.indexes = DetectGaps(*job.driver, *job.disc, job.context);
        if (job.context.aborted) {
            EndRip(job, WM_JOB_DONE, lookup, {});
            job.ctdbLookup = nullptr;
            return;
        }
        AddHiddenTrackItem(job);
    }
    if (const std::string refusal = WholeDiscImageRefusal(job); !refusal.empty()) {
        LogPlain(job.context, "错误: " + refusal);
        EndRip(job, WM_JOB_FAILED, lookup, {});
        job.ctdbLookup = nullptr;
        return;
    }
    // The image is made from each track's temporary WAV, whatever the format.
    if (settings.WholeDiscImage)
        job.keepWav = false;
    // One meter a track, kept to the end for the album's values. WAV files take no tags.
    Meters meters;
    if (settings.ReplayGain && format != kOutputWav && !settings.WholeDiscImage)
        for (std::size_t i = 0; i < job.items.size(); ++i)
            meters.push_back(std::make_unique<LoudnessMeter>());
    if (format == kOutputWav || settings.EncoderThreads == 1 || settings.WholeDiscImage)
        RipInTurn(job, encoders, lookup, meters);
    else
        RipPipelined(job, FindEncoder(encoders, format), EncoderWorkerCount(settings), lookup,
                     meters);
    job.ctdbLookup = nullptr;
}

}  // namespace korvida
