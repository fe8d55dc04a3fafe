#pragma once

#include <string>
#include <vector>

#include "core/musicbrainz/MusicBrainzRelease.h"

namespace korvida {

struct MusicBrainzReply {
    bool ok = false;        // false: the text is not a reply of the web service
    std::string errorText;  // Chinese, when not ok
    std::vector<MusicBrainzRelease> releases;
};

// Reads a disc id lookup's JSON (a disc with its `releases`, or the `releases` list of a
// lookup by TOC). Each release's `medium` is the one holding `discId`, else the first
// with `trackCount` tracks. The text comes from the network: any shape that is not the
// documented one is an error or is skipped, never trusted. A reply without `releases`
// (a CD stub) is a reply with no release.
MusicBrainzReply ParseMusicBrainzReply(const std::string& json, const std::string& discId,
                                       int trackCount);

}  // namespace korvida
