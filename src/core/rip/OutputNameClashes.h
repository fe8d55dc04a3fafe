#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvida {

struct RipJob;
struct Settings;

// The extension a rip in `outputFormat` gives its files: ".WAV", ".ogg" or ".MP3" (the
// rip thread encodes every format but WAV and Ogg Vorbis to MP3).
std::string_view RipOutputExtension(int outputFormat);

// Items of one rip that the naming rule sends to the same file.
struct OutputNameClash {
    std::string path;
    std::vector<int> trackNumbers;  // index + 1, in the job's order
};

// Every output file the rip would write, from the job's own settings, grouped where two
// or more items share one. Nothing is created. Paths are compared byte for byte, as the
// file systems the program writes to compare names.
std::vector<OutputNameClash> FindOutputNameClashes(const RipJob& job);

// The refusal the user is shown: the rule, then each clash with its tracks.
std::string OutputNameClashMessage(std::string_view rule,
                                   const std::vector<OutputNameClash>& clashes);

}  // namespace korvida
