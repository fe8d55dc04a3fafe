#pragma once

namespace korvida {

struct RipJob;

// The hidden track's name in the track list and in file names; its number is "00".
inline constexpr const char* kHiddenTrackTitle = "隐藏音轨";

// With HiddenTrack on, when detection found music before track 1 and track 1 is ticked:
// puts that music first in the job as an item of its own (index -1, so the naming rule
// numbers it 00), from LBA 0 to track 1's INDEX 01. No database knows it: its CRC is its
// only check.
void AddHiddenTrackItem(RipJob& job);

}  // namespace korvida
