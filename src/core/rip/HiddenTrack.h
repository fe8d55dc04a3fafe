#pragma once

#include <cstdint>

namespace korvida {

struct DiscInfo;
struct RipJob;
struct Settings;
class TrackList;

// The hidden track's name in the track list and in file names; its number is "00".
inline constexpr const char* kHiddenTrackTitle = "隐藏音轨";

// With HiddenTrack on, when detection found music before track 1 and track 1 is ticked:
// puts that music first in the job as an item of its own (index -1, so the naming rule
// numbers it 00), from LBA 0 to track 1's INDEX 01. No database knows it: its CRC is its
// only check.
void AddHiddenTrackItem(RipJob& job);

// The frames before track 1 that a rip of these rows may add as the hidden track, known
// from the TOC before detection tells whether they hold music; 0 when it cannot (the
// setting is off, track 1 starts the disc or is not ticked). The progress counts them
// as an item: a pregap that proves silent leaves the count one high.
std::uint32_t HiddenTrackCandidate(const TrackList& rows, const DiscInfo& disc,
                                   const Settings& settings);

}  // namespace korvida
