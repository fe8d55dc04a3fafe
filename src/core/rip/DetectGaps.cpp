#include "core/rip/DetectGaps.h"

#include <algorithm>
#include <vector>

#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/QReader.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/cdrom/Toc.h"
#include "core/disc/DiscInfo.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipStep.h"
#include "core/text/FormatText.h"

namespace korvida {
namespace {

// Pregaps are two seconds on most discs and rarely longer than a few: the first look
// reaches this far back, and only a gap that fills it makes the search reach further.
constexpr std::uint32_t kFirstWindow = 5 * 75;
// Neighbours tried, each side, when the frame asked for has a damaged Q.
constexpr std::uint32_t kNeighbours = 6;

class IndexSearch {
  public:
    IndexSearch(QReader& reader) : reader_(reader) {}

    // The Q position at `at` or, when that frame's Q is damaged, at the nearest readable
    // frame strictly between `lo` and `hi`.
    std::optional<QPosition> Near(std::uint32_t at, std::uint32_t lo, std::uint32_t hi) {
        for (std::uint32_t step = 0; step <= kNeighbours; ++step) {
            for (int side : {1, -1}) {
                if (step == 0 && side < 0)
                    continue;
                const std::int64_t probe = std::int64_t{at} + side * std::int64_t{step};
                if (probe <= lo || probe >= hi)
                    continue;
                std::optional<QPosition> position = reader_.At(static_cast<std::uint32_t>(probe));
                // A drive answering from elsewhere is used where it says it was.
                if (position && position->lba > lo && position->lba < hi)
                    return position;
                if (reader_.method() == QReader::Method::kNone)
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }

    // The first frame in (lo, hi] where `reached` holds, knowing it fails at lo and holds
    // at hi: halving, never scanning. Nothing when the frames between cannot be read.
    template <typename Reached>
    std::optional<std::uint32_t> First(std::uint32_t lo, std::uint32_t hi, Reached reached) {
        while (hi - lo > 1) {
            const std::optional<QPosition> position = Near(lo + (hi - lo) / 2, lo, hi);
            if (!position)
                return std::nullopt;
            if (reached(*position))
                hi = position->lba;
            else
                lo = position->lba;
        }
        return hi;
    }

  private:
    QReader& reader_;
};

bool HasMusic(CSCSIDriver& driver, std::uint32_t frames) {
    constexpr std::uint32_t kChunk = 75;
    std::vector<std::uint8_t> buffer(kChunk * kRawSectorSize);
    for (std::uint32_t at = 0; at < frames; at += kChunk) {
        AudioReadRequest request;
        request.startLba = at;
        request.sectorCount = std::min(kChunk, frames - at);
        request.byteLength = request.sectorCount * kRawSectorSize;
        request.buffer = buffer.data();
        if (!driver.ReadAudio(request))
            return false;
        if (std::any_of(buffer.begin(), buffer.begin() + request.byteLength,
                        [](std::uint8_t b) { return b != 0; }))
            return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> IndexLines(const DiscIndexes& indexes, const TocView& toc) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < indexes.tracks.size() && i + 1 < toc.descriptors.size(); ++i) {
        const TocDescriptor& d = toc.descriptors[i];
        if (d.IsData())
            continue;
        const TrackIndexes& track = indexes.tracks[i];
        std::string line = FormatText("音轨 %02d: ", d.trackNumber);
        if (track.index0)
            line += "间隙 " + GapLength(d.lba - *track.index0) + " (INDEX 00 " +
                    FormatMsf(*track.index0) + ")";
        else
            line += "无间隙";
        for (std::size_t k = 0; k < track.later.size(); ++k)
            line +=
                FormatText(", INDEX %02d ", static_cast<int>(k) + 2) + FormatMsf(track.later[k]);
        lines.push_back(line);
    }
    return lines;
}

std::string GapLength(std::uint32_t frames) {
    return FormatText("%02u:%02u.%02u", frames / (60 * 75), frames / 75 % 60, frames % 75);
}

DiscIndexes DetectGaps(CSCSIDriver& driver, const DiscInfo& disc, JobContext& context) {
    DiscIndexes found;
    const TocView toc = ParseTocReply(disc.rawToc.data(), disc.rawToc.size());
    if (toc.descriptors.size() < 2)
        return found;
    const std::size_t trackCount = toc.descriptors.size() - 1;
    const std::uint32_t audioEnd = AudioSessionEnd(toc);
    found.tracks.resize(trackCount);
    QReader reader(driver);
    IndexSearch search(reader);

    for (std::size_t i = 0; i < trackCount; ++i) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, "检测音轨间隙已取消。");
            found.commands = reader.commands();
            return found;
        }
        if (context.progressWindow) {
            context.progressWindow->post(WM_RIP_STEP,
                                         static_cast<std::intptr_t>(RipStep::kDetectGaps),
                                         static_cast<std::intptr_t>((i + 1) * 100 + trackCount));
        }
        const TocDescriptor& d = toc.descriptors[i];
        if (d.IsData())
            continue;
        const int number = d.trackNumber;
        TrackIndexes& indexes = found.tracks[i];
        // The frames this track's gap may take: back to the start of the track before it
        // (or of the disc), never into a data track.
        const std::uint32_t floor = i == 0 ? 0 : toc.descriptors[i - 1].lba;
        const bool afterData = i > 0 && toc.descriptors[i - 1].IsData();
        if (i == 0) {
            // Everything before track 1's INDEX 01 is its pregap.
            if (d.lba > 0)
                indexes.index0 = 0;
        } else if (!afterData && d.lba > floor + 1) {
            const auto inTrack = [number](const QPosition& q) { return q.track >= number; };
            std::uint32_t window = kFirstWindow;
            std::optional<std::uint32_t> start;
            bool unreadable = false;
            for (;;) {
                const std::uint32_t lo = d.lba > floor + window ? d.lba - window : floor;
                if (lo == floor) {
                    start = search.First(floor, d.lba, inTrack);
                    unreadable = !start;
                    break;
                }
                const std::optional<QPosition> edge = search.Near(lo, floor, d.lba);
                if (!edge) {
                    unreadable = true;
                    break;
                }
                if (!inTrack(*edge)) {
                    start = search.First(edge->lba, d.lba, inTrack);
                    unreadable = !start;
                    break;
                }
                window *= 2;
            }
            if (reader.method() == QReader::Method::kNone)
                break;
            if (unreadable)
                found.unreadable.push_back(number);
            else if (*start < d.lba)
                indexes.index0 = *start;
        }
    }
    // Later indexes: the last frame before the next track's gap tells how many there are;
    // each is then found by halving.
    for (std::size_t i = 0; i < trackCount && reader.method() != QReader::Method::kNone; ++i) {
        const TocDescriptor& d = toc.descriptors[i];
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, "检测音轨间隙已取消。");
            found.commands = reader.commands();
            return found;
        }
        if (d.IsData())
            continue;
        const int number = d.trackNumber;
        std::uint32_t end = audioEnd;
        if (i + 1 < trackCount) {
            const TrackIndexes& next = found.tracks[i + 1];
            end = std::min(end, next.index0.value_or(toc.descriptors[i + 1].lba));
        }
        if (end <= d.lba + 1)
            continue;
        const std::optional<QPosition> last = search.Near(end - 1, d.lba, end);
        if (!last || last->track != number)
            continue;
        std::uint32_t from = d.lba;
        for (int index = 2; index <= last->index; ++index) {
            const auto reached = [number, index](const QPosition& q) {
                return q.track > number || q.index >= index;
            };
            const std::optional<std::uint32_t> at = search.First(from, last->lba + 1, reached);
            if (!at) {
                found.unreadable.push_back(number);
                break;
            }
            found.tracks[i].later.push_back(*at);
            from = *at;
        }
    }
    found.commands = reader.commands();
    if (reader.method() == QReader::Method::kNone || reader.method() == QReader::Method::kUntried) {
        LogPlain(context, "光驱不能读取子通道，未检测音轨间隙。");
        found.tracks.clear();
        return found;
    }
    found.detected = true;

    // Music before track 1 is a hidden track; silence there is only a long pregap.
    if (!toc.descriptors[0].IsData() && toc.descriptors[0].lba > 0 &&
        HasMusic(driver, toc.descriptors[0].lba)) {
        found.hiddenFrames = toc.descriptors[0].lba;
        LogPlain(context, "发现隐藏音轨 (" + GapLength(found.hiddenFrames) + ")");
    }
    for (const std::string& line : IndexLines(found, toc))
        LogPlain(context, line);
    for (int number : found.unreadable)
        LogPlain(context, FormatText("音轨 %02d 的索引位置无法读取 (子通道损坏)", number));
    return found;
}

}  // namespace korvida
