#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvida {

// What a rip log of ours tells of the disc and the files it made: enough to check the
// files again without the disc.
struct RipLogContents {
    struct Track {
        int number = 0;
        bool data = false;
        std::uint32_t lba = 0;
        std::string file;  // as the log names it; empty when the track was not written
    };
    bool ok = false;            // the log had a TOC with a lead-out
    std::vector<Track> tracks;  // in TOC order
    std::uint32_t leadout = 0;
    std::string problem;  // why not ok
};

// Reads the log's TOC table (track number, type, start LBA; then the lead-out) and each
// item's "文件:" line. Lines it does not know are passed over, so a log with more
// sections than this one reads still reads.
RipLogContents ParseRipLog(std::string_view text);

}  // namespace korvida
