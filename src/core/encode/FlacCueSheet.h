#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvida {

// A CD's layout as a FLAC CUESHEET block holds it, in frames from the start of the file.
struct FlacCueTrack {
    int number = 0;  // 1-99
    bool preEmphasis = false;
    std::string isrc;  // 12 characters or empty
    // (index number, frame) in order; the first is INDEX 00 or 01.
    std::vector<std::pair<int, std::uint32_t>> indexes;
};

struct FlacCueLayout {
    std::string catalog;  // 13 digits or empty
    std::vector<FlacCueTrack> tracks;
    std::uint32_t frames = 0;  // where the lead-out begins: the file's length
};

// Puts the layout into the finished FLAC file at `path` as its CUESHEET block (a CD-DA
// sheet, lead-in of two seconds), through a copy beside it that then takes its place.
// False, with *errorText set, when the layout is no legal CD sheet or the file cannot be
// changed; the file is then as it was.
bool AddFlacCueSheet(const std::string& path, const FlacCueLayout& layout, std::string* errorText);

}  // namespace korvida
