#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvida {

class LoudnessMeter;
struct EncodeItem;
class TemporaryFile;

// One item for an encoder stage, planned by the job that runs it: the stage reads one WAV
// and writes one file, and does not need to know whether a rip or a file job asked.
struct EncodeTask {
    // Named in the log lines, tagged from its description; the stage fills its outputPath
    // and outputFolder and turns its startTick into the elapsed milliseconds.
    EncodeItem* item = nullptr;
    std::string inputPath;  // the 16-bit PCM WAV to read
    // A rip's temporary WAV (the inputPath) is owned here, so it is deleted when the last
    // copy of the task goes: whether the stage ran to its end, returned early, or never
    // ran. Null for a file job's input, which is never touched.
    std::shared_ptr<TemporaryFile> temporaryInput;
    // The finished file's name (its folders already made); empty when there is no output
    // folder, which fails the stage when it opens the output.
    std::string outputPath;
    std::string outputFolder;  // stored in the item beside outputPath
    // The album's front cover (JPEG or PNG bytes) to embed in the tags; null or empty
    // embeds none.
    std::shared_ptr<const std::vector<std::uint8_t>> coverArt;
    // ReplayGain on: measures the samples as the stage reads them, and the stage puts the
    // track values into the file's tags. Owned by the job, which may want the album's
    // values from it afterwards. Null: ReplayGain off, the file as it always was.
    LoudnessMeter* loudness = nullptr;
    // Vorbis comments ("KEY=value") that the FLAC and Opus stages add after the item's
    // own: what the job learnt of the samples before the encode (loudness, say).
    std::vector<std::string> extraComments;
};

}  // namespace korvida
