#pragma once

// CD images whose sub-channel holds more than their TOC: pregaps of two seconds and of a
// few frames, later indexes, music before track 1, pre-emphasis, damaged Q frames.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace korvida::test {

struct GapDisc {
    const char* name;
    std::string cue;  // the sheet's lines after FILE "disc.bin" BINARY
    // Frames whose Q sub-channel the virtual drive damages (core tests only: the command
    // line's drive has no faults).
    std::set<std::uint32_t> damagedQ;
};

// Every disc is 3000 frames (40 s) of the test pattern, so every frame holds music.
inline constexpr std::uint32_t kGapDiscFrames = 3000;

std::vector<GapDisc> GapDiscs();

// Writes disc.cue and disc.bin into `folder`; returns the sheet's path.
std::string WriteGapDisc(const std::string& folder, const GapDisc& disc);

}  // namespace korvida::test
