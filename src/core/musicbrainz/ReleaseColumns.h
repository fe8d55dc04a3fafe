#pragma once

#include <string>
#include <vector>

#include "core/musicbrainz/MusicBrainzRelease.h"

namespace korvida {

// The columns of the list the user picks a release from. Editions of one album share
// title and artist: what tells them apart comes next, and the format, the track count,
// the barcode and the disc of a set only when the releases listed differ in them.
enum class ReleaseColumn { kTitle, kArtist, kDate, kCountry, kFormat, kTracks, kBarcode, kMedium };

// Title first, then artist, date and country, then the columns that tell these releases
// apart.
std::vector<ReleaseColumn> ReleaseColumnsFor(const std::vector<MusicBrainzRelease>& releases);

std::string ReleaseColumnHeader(ReleaseColumn column);

// What a release shows in a column: the country by its name, the format and track count
// of the disc's medium (of the first medium when the disc's is not known).
std::string ReleaseCell(const MusicBrainzRelease& release, ReleaseColumn column);

// A release country's name ("XW" is the whole world); a code without one stays a code.
std::string ReleaseCountryName(const std::string& code);

}  // namespace korvida
