#include "core/rip/FindReadOffset.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/cdrom/Toc.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/JobParties.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerThread.h"
#include "core/rip/OffsetReader.h"
#include "core/text/FormatText.h"
#include "core/verify/AccurateRipLookup.h"

namespace korvida {
namespace {

// Three tracks agreeing leave no doubt; more only cost reading time.
constexpr std::size_t kTracksToRead = 3;
constexpr std::uint32_t kChunkFrames = 75 * 2;
constexpr std::int64_t kMargin = kOffsetSearchRange;

using Outcome = FindOffsetJob::Outcome;

// The tracks read: the shortest audio tracks long enough to search with, the disc's first
// and last only when there are too few others (their edges are left out of the figures,
// which leaves less to compare).
std::vector<int> TracksToRead(const AccurateRipDisc& disc) {
    std::vector<int> middle, edges;
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        const AccurateRipPosition& p = disc.tracks[i];
        if (p.track == 0 || p.samples <= 10 * 588 + 2 * kMargin)
            continue;
        (p.track == 1 || p.track == p.audioTracks ? edges : middle).push_back(static_cast<int>(i));
    }
    const auto shorter = [&disc](int l, int r) {
        return disc.tracks[static_cast<std::size_t>(l)].samples <
               disc.tracks[static_cast<std::size_t>(r)].samples;
    };
    std::sort(middle.begin(), middle.end(), shorter);
    std::sort(edges.begin(), edges.end(), shorter);
    middle.insert(middle.end(), edges.begin(), edges.end());
    if (middle.size() > kTracksToRead)
        middle.resize(kTracksToRead);
    std::sort(middle.begin(), middle.end());
    return middle;
}

// The disc's samples from kMargin before the track to kMargin after it, read at offset 0;
// zeros for what lies outside the audio the drive can read. False after logging why.
bool ReadAround(FindOffsetJob& job, const TocView& toc, std::uint32_t startLba,
                std::uint64_t samples, std::vector<std::uint8_t>& pcm, std::uint64_t& framesDone,
                std::uint64_t framesTotal) {
    const std::int64_t first = std::int64_t{startLba} * kSamplesPerFrame - kMargin;
    const std::int64_t end = first + static_cast<std::int64_t>(samples) + 2 * kMargin;
    const ReadableArea area = AudioAreaAround(toc, startLba);
    const std::int64_t fromFrame =
        std::max<std::int64_t>(area.first, first < 0 ? 0 : first / kSamplesPerFrame);
    const std::int64_t toFrame =
        std::min<std::int64_t>(area.end, (end + kSamplesPerFrame - 1) / kSamplesPerFrame);
    pcm.assign(static_cast<std::size_t>(end - first) * 4, 0);
    std::vector<std::uint8_t> buffer(std::size_t{kChunkFrames} * 2352);
    OffsetReader reader(job.driver,
                        {static_cast<std::uint32_t>(std::max<std::int64_t>(fromFrame, 0)),
                         static_cast<std::uint32_t>(std::max<std::int64_t>(toFrame, 0))},
                        0, area, kChunkFrames, buffer);
    for (;;) {
        if (ConsumeCancelRequest(job.context)) {
            job.context.aborted = true;
            return false;
        }
        const OffsetReader::Result result = reader.Next();
        if (result == OffsetReader::Result::kDone)
            return true;
        if (result == OffsetReader::Result::kFailed) {
            LogPlain(job.context,
                     FormatText("读取 LBA %u 失败，无法检测读取偏移。", reader.failedFrame()));
            return false;
        }
        // The chunk's samples on the disc, and the part of them the buffer holds.
        const std::int64_t at =
            fromFrame * kSamplesPerFrame + static_cast<std::int64_t>(reader.samplesBefore());
        const auto count = static_cast<std::int64_t>(reader.bytes() / 4);
        const std::int64_t from = std::max(at, first);
        const std::int64_t to = std::min(at + count, end);
        if (from < to)
            std::copy_n(reader.data() + (from - at) * 4, (to - from) * 4,
                        pcm.begin() + (from - first) * 4);
        framesDone += static_cast<std::uint64_t>(count) / kSamplesPerFrame;
        if (job.context.progressWindow)
            job.context.progressWindow->post(
                WM_EXTRACT_PROGRESS,
                static_cast<std::intptr_t>(std::min<std::uint64_t>(
                    999, framesDone * 1000 / std::max<std::uint64_t>(framesTotal, 1))));
    }
}

void Search(FindOffsetJob& job) {
    const AccurateRipDisc disc = AccurateRipDiscOf(job.disc.rawToc.data());
    const std::vector<int> tracks = TracksToRead(disc);
    if (!disc.ok || tracks.empty()) {
        job.outcome = Outcome::kNoTracks;
        return;
    }
    BackgroundLookup<AccurateRipLookupResult> lookup;
    lookup.Start([disc, settings = job.settings](Event& cancel) {
        return AccurateRipLookup::Run(disc, settings, &cancel);
    });
    const TocView toc = ParseTocReply(job.disc.rawToc.data(), job.disc.rawToc.size());
    std::uint64_t total = 0, done = 0;
    for (int index : tracks)
        total += disc.PositionOf(index).samples / kSamplesPerFrame + 12;
    std::vector<std::vector<std::uint8_t>> reads;
    for (int index : tracks) {
        const AccurateRipPosition position = disc.PositionOf(index);
        LogPlain(job.context, FormatText("读取音轨 %d 以检测读取偏移。", index + 1));
        reads.emplace_back();
        if (!ReadAround(job, toc, job.disc.trackRanges[static_cast<std::size_t>(index)].start,
                        position.samples, reads.back(), done, total)) {
            job.outcome = job.context.aborted ? Outcome::kCancelled : Outcome::kReadFailed;
            return;
        }
    }
    while (!lookup.Ended()) {
        if (job.context.cancelEvent && job.context.cancelEvent->Wait(50)) {
            job.outcome = Outcome::kCancelled;
            return;
        }
        if (!job.context.cancelEvent)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const AccurateRipLookupResult result = lookup.Finish(0);
    using Status = AccurateRipLookupResult::Status;
    if (result.status == Status::kNotInDatabase) {
        job.outcome = Outcome::kNotInDatabase;
        return;
    }
    if (result.status != Status::kFound) {
        job.outcome = Outcome::kLookupFailed;
        job.detail = result.detail;
        return;
    }
    std::vector<std::vector<TrackOffsetMatch>> matches;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const AccurateRipPosition position = disc.PositionOf(tracks[i]);
        const std::vector<OffsetSearchEntry> entries =
            OffsetSearchEntries(result.reply, position.track);
        if (std::none_of(entries.begin(), entries.end(),
                         [](const OffsetSearchEntry& e) { return e.confidence > 0; }))
            continue;
        ++job.tracksCompared;
        matches.push_back(MatchTrackAtOffsets(reads[i].data(), position, entries));
    }
    job.offsets = RankOffsets(matches);
    job.outcome = job.offsets.empty() ? Outcome::kNoMatch : Outcome::kFound;
}

}  // namespace

std::string FindOffsetOutcomeText(const FindOffsetJob& job) {
    switch (job.outcome) {
        case Outcome::kFound:
            break;
        case Outcome::kNoMatch:
            return "AccurateRip 数据库中有这张光盘，但在 ±3000 个采样内没有找到一致的读取偏移。";
        case Outcome::kNotInDatabase:
            return "AccurateRip 数据库中没有这张光盘，无法检测读取偏移；请换一张常见的光盘再试。";
        case Outcome::kLookupFailed:
            return "未能从 AccurateRip 数据库得到结果: " + job.detail;
        case Outcome::kNoTracks:
            return "光盘上没有足够长的音轨，无法检测读取偏移。";
        case Outcome::kReadFailed:
            return "读取光盘失败，无法检测读取偏移。";
        case Outcome::kCancelled:
            return "检测已取消。";
        case Outcome::kFailed:
            return "检测失败: " + job.detail;
    }
    return {};
}

FindOffsetJobHandle StartFindReadOffset(const DiscInfo& disc, CSCSIDriver* driver,
                                        const JobParties& parties, const Settings& settings) {
    FindOffsetJobHandle handle(std::make_unique<FindOffsetJob>());
    FindOffsetJob& job = *handle;
    job.settings = settings;
    job.disc = disc;
    job.driver = driver;
    job.context.progressWindow = parties.progressWindow;
    job.context.mainWindow = parties.mainWindow;
    job.context.cancelEvent = handle.cancelEvent().get();
    int priority = job.settings.ThreadPriority;
    NormalizeThreadPriority(priority);
    handle.Start(
        [](FindOffsetJob& record) {
            Search(record);
            if (record.context.progressWindow)
                record.context.progressWindow->send(WM_JOB_DONE,
                                                    reinterpret_cast<std::intptr_t>(&record));
        },
        priority,
        [](FindOffsetJob& record, const std::string& text) {
            record.outcome = Outcome::kFailed;
            record.detail = text;
            LogFormatted(record.context, text);
            if (record.context.progressWindow)
                record.context.progressWindow->send(WM_JOB_FAILED,
                                                    reinterpret_cast<std::intptr_t>(&record));
        });
    return handle;
}

}  // namespace korvida
