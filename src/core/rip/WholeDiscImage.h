#pragma once

#include <cstdint>
#include <string>

#include "core/encode/EncoderFormats.h"
#include "core/encode/FlacCueSheet.h"
#include "core/platform/TemporaryFile.h"

namespace korvida {

struct RipJob;
struct Settings;

// Why WholeDiscImage cannot be made in the chosen format (empty when it can): only WAV
// and FLAC keep every track's exact length.
std::string WholeDiscImageRefusal(const Settings& settings);
// The same, and an image needs every audio track of the disc: a few of them glued
// together would be no disc.
std::string WholeDiscImageRefusal(const RipJob& job);

// The image's tracks and indexes in frames from its start, for its cue sheet and the
// FLAC CUESHEET block. The image starts with the job's first item: the hidden track, or
// the first audio track's INDEX 01.
FlacCueLayout WholeDiscLayout(const RipJob& job, std::uint32_t frames);

// One WAV or FLAC file of every track of a rip, named like the rip log: each extracted
// track's samples are appended as it is done (the per-track checks are those of a
// per-track rip), and the end makes the file, its cue sheet beside it and, for FLAC,
// the CUESHEET block and the album's tags. Nothing appears under the final name before
// it is complete; a rip that ends early leaves nothing.
class WholeDiscImage {
  public:
    explicit WholeDiscImage(RipJob& job) : job_(job) {}

    // Appends job.current's temporary WAV and deletes it. 0 after a logged failure.
    int Append();
    // Writes the image and its cue sheet; every item's outputPath becomes the image's.
    // 0 after a logged failure.
    int Finish(const EncoderFormats& encoders);

  private:
    int Fail(const std::string& path, const std::string& why);

    RipJob& job_;
    std::string imagePath_;  // the final name
    TemporaryFile wav_;      // the samples so far, beside the final name
    std::uint64_t dataBytes_ = 0;
};

}  // namespace korvida
