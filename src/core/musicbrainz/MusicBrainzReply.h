#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/musicbrainz/MusicBrainzRelease.h"

namespace korvida {

struct MusicBrainzReply {
    bool ok = false;        // false: the text is not a reply of the web service
    std::string errorText;  // Chinese, when not ok
    std::vector<MusicBrainzRelease> releases;
};

// How far a medium's track length may be from the disc's and still fit, in ms. A length
// MusicBrainz took from a CD's TOC matches to the sector; one from elsewhere (a digital
// release, a recording's length) lacks the two-second pre-gap the TOC counts into the
// track before it and is rounded to the second. Three seconds takes both; the discs of one
// set are told apart because their tracks differ by far more, nearly all of them.
inline constexpr int kTrackLengthToleranceMs = 3000;

// Reads a disc id lookup's JSON (a disc with its `releases`, or the `releases` list of a
// lookup by TOC). Each release's `medium` is the one holding `discId`, else the one with
// the disc's track count (trackSectors.size()) whose track lengths each fit the disc's
// within kTrackLengthToleranceMs (the closest when several do), else the only one with
// that count whose lengths the reply does not give; -1 with a `note` when none is. The
// text comes from the network: any shape that is not the documented one is an error or is
// skipped, never trusted; control characters in its texts become spaces. A release
// without an id, or without a title, an artist and any track title, is left out. A reply
// without `releases` (a CD stub) is a reply with no release.
MusicBrainzReply ParseMusicBrainzReply(const std::string& json, const std::string& discId,
                                       std::span<const int> trackSectors);

}  // namespace korvida
