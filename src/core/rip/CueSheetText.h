#pragma once

#include <string>

namespace korvida {

struct RipJob;

// A cue sheet for the files of a rip, or why the rip gets none.
struct CueSheet {
    std::string text;
    std::string problem;  // non-empty: no sheet; says why, for the rip log
};

// The sheet of a finished WAV or FLAC rip of every audio track, to be written into
// `cueFolder`: one FILE (a path relative to that folder) per track, the tracks under their
// TOC numbers with their names, the first track's PREGAP when it starts after LBA 0, and
// "REM DATA TRACK nn LBA n NOT RIPPED" for each data track left out, the audio track after
// it with a PREGAP that reaches back to it; a data track at the end adds
// "REM LEAD-OUT LBA n". Gaps stay at the end of the track before them, as the rip's ranges
// keep them, so the sheet opened as a CD image (LoadCueImage reads those REM lines; other
// readers skip them) has the disc's TOC and ids. When trimming made the files shorter
// than their tracks it cannot have them: a REM line then says so. Lossy files get no
// sheet: their decoded lengths are not the tracks' frames, so no TOC could be read from
// them.
CueSheet CueSheetText(const RipJob& job, const std::string& cueFolder, const std::string& program);

}  // namespace korvida
