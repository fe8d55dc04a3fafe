#pragma once

#include <string>

#include "core/disc/CoverArtStore.h"

namespace korvida {

class Event;
struct DiscInfo;
struct Settings;

struct CoverArtFetch {
    enum class Outcome {
        kFound,      // image holds a JPEG or PNG
        kNone,       // the release has no front image, or fetching is switched off
        kCancelled,  // `cancel` was set
        kFailed,     // errorText says why (Chinese, for the user)
    };
    Outcome outcome = Outcome::kNone;
    CoverImage image;
    std::string errorText;
};

// The front image of MusicBrainz release `releaseId` from the cover server
// ([MusicBrainz] CoverArtServer): GET <server>/release/<id>/front-500, redirects followed,
// through the freedb proxy when one is set. A 404 is a release without a cover; a body
// that is no JPEG or PNG is refused. Blocking.
CoverArtFetch FetchCoverArt(const std::string& releaseId, const Settings& settings,
                            Event* cancel = nullptr);

// What both front ends do after a MusicBrainz match was applied to `disc`: the cover
// stored for an earlier pick goes, then, unless [MusicBrainz] CoverArt is 0, the
// release's front image is fetched and stored beside the disc's database entry. kFound
// means it is stored; a store that fails is kFailed. A release without a cover, or a
// fetch that fails, leaves the disc without one.
CoverArtFetch FetchAndStoreCoverArt(const DiscInfo& disc, const std::string& releaseId,
                                    const Settings& settings, Event* cancel = nullptr);

}  // namespace korvida
