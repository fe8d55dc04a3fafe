#pragma once

#include <cstdint>
#include <string>

#include "core/disc/TrackInfo.h"

namespace korvida {

// What a stage sees of one item of a job, a disc track of a rip or a file of a file job:
// what to name and tag it by, and where its finished file went. The rip job's item
// (RipJobItem) adds its frames and verification, which the encoders do not touch.
struct EncodeItem {
    // Rip: the Title column text of the row; file job: the source file's path.
    std::string name;
    std::string outputPath;    // the finished file, filled by the stage that writes it
    std::string outputFolder;  // the output folder that outputPath lies in
    // Tick count (ms) when extraction began; the encoders replace it by the elapsed ms.
    std::uint32_t startTick = 0;
    // 0-based track index in TOC order; the number in names and tags is index + 1.
    // -1 for file-job items.
    std::int32_t index = -1;
    TrackInfo track;   // copy of the track's description record
    std::string isrc;  // the track's ISRC as the disc gave it; empty for none
    // The disc's place in a set (DiscInfo); both 0 for a disc of one.
    std::int32_t discNumber = 0;
    std::int32_t discCount = 0;
};

}  // namespace korvida
