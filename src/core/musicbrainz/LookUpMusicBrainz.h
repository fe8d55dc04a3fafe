#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/freedb/FreedbDiscId.h"
#include "core/musicbrainz/MusicBrainzDiscId.h"
#include "core/musicbrainz/MusicBrainzRelease.h"

namespace korvida {

class Event;
struct Settings;

struct MusicBrainzLookup {
    enum class Outcome {
        kFound,      // releases holds one or more candidates (listed; one whose medium is -1
                     // cannot be applied, and its note says why)
        kNotFound,   // neither the disc id nor the TOC is known: offer disc.submissionUrl
        kCancelled,  // the cancel event was set
        kFailed,     // errorText says why (network, server status, unreadable reply)
    };
    Outcome outcome = Outcome::kFailed;
    MusicBrainzDiscId disc;  // the id, the submission address and the toc the lookup used
    bool byToc = false;      // the releases are fuzzy matches by the TOC, not by the id
    std::vector<MusicBrainzRelease> releases;
    std::string errorText;  // Chinese, for kFailed and kCancelled
};

// Looks the disc up on the settings' MusicBrainz server ([MusicBrainz] Server) by its
// disc id, and when that finds nothing, by its TOC. Blocking, for a worker thread: the
// requests keep MusicBrainz's one-a-second limit, go through the freedb proxy settings,
// end after timeoutMs each and as soon as `cancel` is set (tested, never consumed).
// `onWait` is told when a busy server asks the lookup to wait (HttpRequest::onWait).
MusicBrainzLookup LookUpMusicBrainz(std::span<const std::uint8_t, kTocResponseSize> lbaToc,
                                    const Settings& settings, Event* cancel,
                                    std::uint32_t timeoutMs = 30000,
                                    std::function<void(const std::string&)> onWait = {});

}  // namespace korvida
