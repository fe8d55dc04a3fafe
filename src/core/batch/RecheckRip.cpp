#include "core/batch/RecheckRip.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/batch/RecheckSource.h"
#include "core/cdrom/BuildTocReply.h"
#include "core/cdrom/LoadCueImage.h"
#include "core/disc/DiscInfo.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerPool.h"
#include "core/rip/RipJob.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"
#include "core/verify/AccurateRipLookup.h"
#include "core/verify/CtdbLookup.h"
#include "core/verify/MatchAccurateRip.h"
#include "core/verify/MatchCtdb.h"
#include "core/verify/VerificationSummary.h"

namespace korvida {
namespace {

constexpr std::uint32_t kChunkFrames = 75 * 4;
// Both requests carry deadlines of their own (a minute); this only bounds a server that
// keeps a connection open past them.
constexpr std::uint32_t kLookupWaitMs = 90000;

// Waits for both lookups (their results are then taken without waiting), ending at once
// for a cancel. False when the job was cancelled.
template <class A, class B>
bool WaitForLookups(JobContext& context, const A& first, const B& second) {
    for (std::uint32_t waited = 0; waited < kLookupWaitMs && !(first.Ended() && second.Ended());
         waited += 50) {
        if (context.cancelEvent ? context.cancelEvent->Wait(50) : false) {
            context.aborted = true;
            LogPlain(context, Tr("校验已取消。"));
            return false;
        }
        if (!context.cancelEvent)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string AccurateRipLogLine(const AccurateRipLookupResult& result, const AccurateRipDisc& disc) {
    using Status = AccurateRipLookupResult::Status;
    const std::string id = "AccurateRip " + disc.IdText();
    switch (result.status) {
        case Status::kFound:
            return FormatText(Tr("%s: 数据库中有 %zu 个版本。"), id.c_str(),
                              result.reply.pressings.size());
        case Status::kNotInDatabase:
            return id + Tr(": 不在数据库中。");
        case Status::kFailed:
            return id + Tr(": 查询失败: ") + result.detail;
        case Status::kNotFinished:
            return id + Tr(": 查询未完成。");
        case Status::kUnreadable:
            return id + Tr(": 数据库回复无法解读 (") + result.detail + Tr(")，未采用。");
        case Status::kOff:
            break;
    }
    return id + Tr(": 未查询数据库。");
}

// The image's TOC as a drive answers READ TOC, in DiscInfo.rawToc's form.
std::array<std::uint8_t, DiscInfo::kRawTocSize> RawTocOf(const DiscImage& image) {
    std::array<std::uint8_t, DiscInfo::kRawTocSize> raw{};
    const std::vector<std::uint8_t> reply = BuildTocReply(image, false, 0);
    std::copy_n(reply.begin(), std::min(reply.size(), raw.size()), raw.begin());
    return raw;
}

// The figures of one track, read from the image in disc order.
int TakeFigures(const DiscImage& image, const RecheckSource& source, RipJobItem& item,
                AccurateRipPosition position, bool ctdb, JobContext& context) {
    TrackChecksumAccumulator sums(position, ctdb);
    std::vector<std::uint8_t> buffer(std::size_t{kChunkFrames} * 2352);
    const std::uint32_t frames = item.end - item.start;
    for (std::uint32_t done = 0; done < frames;) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, Tr("校验已取消。"));
            return 1;
        }
        const std::uint32_t count = std::min(kChunkFrames, frames - done);
        std::string error;
        if (!image.ReadFrames(item.start + done, count, buffer.data(), &error)) {
            LogPlain(context, source.Explain(error));
            return 0;
        }
        sums.Feed(buffer.data(), std::size_t{count} * 2352);
        done += count;
        if (context.progressWindow)
            context.progressWindow->post(
                WM_EXTRACT_PROGRESS,
                static_cast<std::intptr_t>(std::uint64_t{done} * 1000 / frames));
    }
    sums.Store(item.verification);
    return 1;
}

}  // namespace

void RecheckRipThread(RipJob& job) {
    JobContext& context = job.context;
    const std::string path = job.items.empty() ? std::string() : job.items.front().name;
    LogPlain(context, Tr("校验已抓取的文件: ") + path);
    RecheckSource source;
    std::string problem;
    if (!PrepareRecheckSource(path, context, source, problem)) {
        if (!problem.empty())
            LogPlain(context, problem);
        SendJobEnd(job, context.aborted ? WM_JOB_DONE : WM_JOB_FAILED);
        return;
    }
    DiscImage image;
    if (!LoadCueImage(source.cuePath, image, problem)) {
        LogPlain(context, source.Explain(problem));
        SendJobEnd(job, WM_JOB_FAILED);
        return;
    }
    if (!source.expectedToc.empty()) {
        std::vector<std::uint32_t> toc;
        for (const ImageTrack& track : image.tracks)
            toc.push_back(track.startLba);
        toc.push_back(image.leadout);
        if (toc != source.expectedToc) {
            LogPlain(context,
                     path + Tr(": 文件的长度与日志中的 TOC 不符 (文件被截短、加长或换过)"));
            SendJobEnd(job, WM_JOB_FAILED);
            return;
        }
    }
    if (source.tocAssumed)
        LogPlain(context, Tr("没有 cue 表或日志: TOC 由文件的长度推定 "
                             "(音轨首尾相接，第一条音轨前有 2 秒间隙)。"));

    auto disc = std::make_shared<DiscInfo>();
    disc->rawToc = RawTocOf(image);
    job.accurateRip = AccurateRipDiscOf(disc->rawToc.data());
    job.disc = disc;
    if (!job.accurateRip.ok) {
        LogPlain(context, path + Tr(": 没有音轨"));
        SendJobEnd(job, WM_JOB_FAILED);
        return;
    }
    // The lookups run while the files are read, as they do while a disc is.
    const Settings settings = job.settings;
    const bool ctdb = settings.CtdbVerify != 0;
    const CtdbDisc ctdbDisc = CtdbDiscOf(disc->rawToc.data());
    BackgroundLookup<AccurateRipLookupResult> accurateRip;
    accurateRip.Start([arDisc = job.accurateRip, settings](Event& cancel) {
        return AccurateRipLookup::Run(arDisc, settings, &cancel);
    });
    BackgroundLookup<CtdbLookupResult> ctdbLookup;
    if (ctdb)
        ctdbLookup.Start([ctdbDisc, settings](Event& cancel) {
            return CtdbLookup::Run(ctdbDisc, settings, &cancel);
        });

    job.items.clear();
    for (std::size_t i = 0; i < image.tracks.size(); ++i) {
        const ImageTrack& track = image.tracks[i];
        const AccurateRipPosition position = job.accurateRip.PositionOf(static_cast<int>(i));
        if (track.IsData() || position.track == 0)
            continue;
        RipJobItem item;
        item.index = static_cast<int>(i);
        item.start = track.startLba;
        item.end = track.startLba + static_cast<std::uint32_t>(position.samples / 588);
        std::string file;
        for (const ImageSegment& segment : image.segments)
            if (segment.file >= 0 && segment.discStart <= item.start &&
                item.start < segment.discStart + segment.frames)
                file = image.files[static_cast<std::size_t>(segment.file)].path;
        item.outputPath = source.OriginalOf(file);
        item.outputFolder = source.folder;
        item.name = FormatText(Tr("音轨 %02d: "), track.number) +
                    std::filesystem::path(item.outputPath).filename().string();
        job.items.push_back(std::move(item));
    }

    bool failed = false;
    {
        const int workers =
            std::clamp(EncoderWorkerCount(settings), 1, static_cast<int>(job.items.size()));
        WorkerPool pool(context, job.items.size(), workers, WorkerPool::Shown::kOldestItem);
        for (std::size_t i = 0; i < job.items.size(); ++i) {
            RipJobItem& item = job.items[i];
            const AccurateRipPosition position = job.accurateRip.PositionOf(item.index);
            const bool submitted = pool.Submit(
                static_cast<int>(i) + 1, item.name,
                [&image, &source, &item, position, ctdb](JobContext& itemContext) {
                    return TakeFigures(image, source, item, position, ctdb, itemContext);
                });
            if (!submitted)
                break;
        }
        pool.Finish();
        failed = pool.failed();
    }
    if (failed || context.aborted) {
        // The files were not all read: no verdict is given on any of them.
        for (RipJobItem& item : job.items)
            item.outputPath.clear();
        accurateRip.Finish(0);
        ctdbLookup.Finish(0);
        SendJobEnd(job, failed ? WM_JOB_FAILED : WM_JOB_DONE);
        return;
    }

    if (!WaitForLookups(context, accurateRip, ctdbLookup)) {
        for (RipJobItem& item : job.items)
            item.outputPath.clear();
        SendJobEnd(job, WM_JOB_DONE);
        return;
    }
    const AccurateRipLookupResult arResult = accurateRip.Finish(0);
    LogPlain(context, AccurateRipLogLine(arResult, job.accurateRip));
    std::vector<TrackVerification*> tracks(static_cast<std::size_t>(job.accurateRip.audioTracks));
    for (RipJobItem& item : job.items) {
        const int number = job.accurateRip.PositionOf(item.index).track;
        MatchAccurateRip(arResult, number, item.verification);
        tracks[static_cast<std::size_t>(number - 1)] = &item.verification;
    }
    if (ctdb) {
        const CtdbLookupResult ctdbResult = ctdbLookup.Finish(0);
        LogPlain(context, CtdbLookupLogLine(ctdbResult, ctdbDisc.id));
        const std::uint64_t tailSkip =
            job.accurateRip.PositionOf(job.items.back().index).ctdbTailSkip;
        const CtdbDiscVerdict verdict = MatchCtdb(ctdbResult, tracks, tailSkip);
        if (verdict.shiftFound && verdict.shift != 0)
            LogPlain(context, CtdbShiftLogLine(verdict.shift));
    }
    std::vector<const TrackVerification*> all(tracks.begin(), tracks.end());
    const VerificationSummary summary = SummariseVerification(all);
    if (!summary.line.empty())
        LogPlain(context, summary.line);
    SendJobEnd(job, WM_JOB_DONE);
}

}  // namespace korvida
