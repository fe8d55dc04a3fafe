#include "support/GapDiscs.h"

#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {

std::vector<GapDisc> GapDiscs() {
    std::vector<GapDisc> discs = {
        {"TwoSecondGap",
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:08:00\n    INDEX 01 00:10:00\n"
         "  TRACK 03 AUDIO\n    INDEX 01 00:20:00\n",
         {}},
        // 37 frames: a gap too short for a search that steps by seconds.
        {"ShortGap",
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:09:38\n    INDEX 01 00:10:00\n"
         "  TRACK 03 AUDIO\n    INDEX 00 00:19:74\n    INDEX 01 00:20:00\n",
         {}},
        {"LaterIndexes",
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 01 00:10:00\n    INDEX 02 00:14:21\n"
         "    INDEX 03 00:17:00\n"
         "  TRACK 03 AUDIO\n    INDEX 00 00:28:00\n    INDEX 01 00:30:00\n",
         {}},
        // 00:13:37 is 1012 frames of music before track 1.
        {"HiddenTrack",
         "  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:13:37\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:23:00\n    INDEX 01 00:25:00\n"
         "  TRACK 03 AUDIO\n    INDEX 01 00:32:00\n",
         {}},
        {"PreEmphasis",
         "  TRACK 01 AUDIO\n    FLAGS PRE\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    FLAGS DCP PRE\n    INDEX 00 00:08:00\n    INDEX 01 00:10:00\n"
         "  TRACK 03 AUDIO\n    INDEX 01 00:20:00\n",
         {}},
        {"DamagedQ",
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 00 00:08:00\n    INDEX 01 00:10:00\n"
         "    INDEX 02 00:14:21\n"
         "  TRACK 03 AUDIO\n    INDEX 00 00:28:00\n    INDEX 01 00:30:00\n",
         {}},
    };
    // One frame in five, and a run where the search first looks before track 3.
    for (std::uint32_t lba = 2; lba < kGapDiscFrames; lba += 5)
        discs.back().damagedQ.insert(lba);
    for (std::uint32_t lba = 1870; lba < 1880; ++lba)
        discs.back().damagedQ.insert(lba);
    return discs;
}

std::string WriteGapDisc(const std::string& folder, const GapDisc& disc) {
    WriteFile(folder + "/disc.bin", Frames(0, kGapDiscFrames));
    WriteFile(folder + "/disc.cue",
              "PERFORMER \"Artist\"\nTITLE \"Album\"\nFILE \"disc.bin\" BINARY\n" + disc.cue);
    return folder + "/disc.cue";
}

}  // namespace korvida::test
