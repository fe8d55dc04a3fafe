#pragma once

#include <string>

#include "core/cdrom/DiscImage.h"

namespace korvida {

// Parses a CUE sheet and opens its files. BINARY (little-endian), MOTOROLA (big-endian)
// and WAVE (16-bit stereo 44100 Hz PCM) files; AUDIO, MODE1/2352 and MODE2/2352 tracks;
// INDEX, PREGAP, POSTGAP, FLAGS, CATALOG and "REM SESSION nn" (the session of the tracks
// that follow); CDTEXTFILE, whose packs the image keeps as its CD-Text (one that does
// not read is noted in image.notes, not refused); the descriptive commands are accepted
// and ignored. The REM lines of a rip's own sheet give back the disc it came from:
// "REM DATA TRACK nn LBA n NOT RIPPED" is a data track whose frames the image does not
// hold (reads of them fail), and "REM LEAD-OUT LBA n" where such a track at the end
// stops. On failure returns false and sets `errorText` to "<cue>:<line>: <what>" naming
// the file at fault; `image` is then unusable.
bool LoadCueImage(const std::string& cuePath, DiscImage& image, std::string& errorText);

}  // namespace korvida
