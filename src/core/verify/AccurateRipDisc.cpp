#include "core/verify/AccurateRipDisc.h"

#include <span>

#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/text/FormatText.h"
#include "core/verify/CtdbChecksums.h"

namespace korvida {
namespace {

constexpr std::uint64_t kSectorSamples = 588;

}  // namespace

AccurateRipPosition AccurateRipDisc::PositionOf(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= tracks.size())
        return {};
    return tracks[static_cast<std::size_t>(index)];
}

std::string AccurateRipDisc::IdText() const {
    return FormatText("%03d-%08x-%08x-%08x", audioTracks, id1, id2, freedbId);
}

std::string AccurateRipDisc::FileName() const {
    return "dBAR-" + IdText() + ".bin";
}

std::string AccurateRipDisc::DatabasePath() const {
    return FormatText("%x/%x/%x/", id1 & 0xF, id1 >> 4 & 0xF, id1 >> 8 & 0xF) + FileName();
}

AccurateRipDisc AccurateRipDiscOf(const std::uint8_t* rawToc) {
    AccurateRipDisc disc;
    const DiscToc toc = ReadDiscToc(rawToc);
    if (!toc.ok)
        return disc;
    disc.tracks.resize(toc.tracks.size());
    std::vector<std::size_t> audio;  // TOC indexes of the audio tracks
    for (std::size_t i = 0; i < toc.tracks.size(); ++i) {
        if (!toc.tracks[i].data)
            audio.push_back(i);
    }
    if (audio.empty())
        return disc;
    disc.audioTracks = static_cast<int>(audio.size());
    const std::uint32_t lead = toc.leadout;
    std::uint32_t id1 = 0, id2 = 0;
    for (std::size_t j = 0; j < audio.size(); ++j) {
        const DiscTocTrack& track = toc.tracks[audio[j]];
        id1 += track.start;
        id2 += (track.start > 0 ? track.start : 1) * static_cast<std::uint32_t>(j + 1);

        AccurateRipPosition& position = disc.tracks[audio[j]];
        position.track = static_cast<int>(j + 1);
        position.audioTracks = disc.audioTracks;
        // ReadDiscToc ends an enhanced CD's last audio track with its session.
        position.samples = std::uint64_t{track.end - track.start} * kSectorSamples;
    }
    disc.tracks[audio.back()].ctdbTailSkip = CtdbTailSkip(toc.tracks[audio.back()].end);
    disc.id1 = id1 + lead;
    disc.id2 = id2 + lead * static_cast<std::uint32_t>(disc.audioTracks + 1);
    std::span<const std::uint8_t, DiscInfo::kRawTocSize> view(rawToc, DiscInfo::kRawTocSize);
    FreedbDiscIdOfLbaToc(view, disc.freedbId);
    disc.ok = true;
    return disc;
}

}  // namespace korvida
