#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace korvida {

class MessageTarget;
struct JobContext;

// Every normalisation read and write is one block of two CD frames (2352 samples); the
// progress cadence is counted in these blocks.
constexpr std::size_t kNormaliseBlockBytes = 4704;

// The loudest sample seen: running minimum and maximum both start at 0, so the peak of
// a silent file is 0 and the peak of -32768 is 32768.
class PeakMeter {
  public:
    // `pcm` holds 16-bit signed little-endian samples; an odd last byte is ignored.
    void Update(const std::uint8_t* pcm, std::size_t bytes);
    // 0 to 32768.
    int Peak() const;
    std::int16_t minimum() const { return minimum_; }
    std::int16_t maximum() const { return maximum_; }

  private:
    std::int16_t minimum_ = 0;
    std::int16_t maximum_ = 0;
};

// normalizeRatio per cent of full scale (32767) over the peak. Empty for a peak of 0:
// a silent file has nothing to scale and is left exactly as it is.
std::optional<double> NormalizeGain(int normalizeRatio, int peak);

// s × gain + 0.5, truncated toward zero. Results beyond 16 bits (only possible with a
// ratio above 100) are held at the limits instead of wrapping around.
std::int16_t ScaleSample(std::int16_t sample, double gain);
// Scales the whole samples of a block of 16-bit little-endian PCM in place.
void ScaleSamples(std::uint8_t* pcm, std::size_t bytes, double gain);

// Scales the samples of the WAV file at `path` in place, after extraction found the peak
// while reading. Posts WM_EXTRACT_PROGRESS to `progressWindow` after every 26th block and
// 1000 at the end. Tests context.cancelEvent before every block; on a cancel logs it, sets
// context.aborted and returns false, leaving the blocks before it scaled. Returns true when
// the whole data chunk was scaled; a gain that is not a positive finite number leaves the
// file unchanged and counts as done. Job-log lines go to context.mainWindow.
bool ApplyGain(MessageTarget* progressWindow, const std::string& path, double gain,
               JobContext& context);

// Normalises a 44100 Hz 16-bit stereo WAV file in place: a peak pass, then a gain pass to
// normalizeRatio per cent. Sends WM_ITEM_STATUS (2 peak, 1 normalising, with the path) and
// WM_EXTRACT_PROGRESS (after every 50th block of the peak pass, every 30th of the gain
// pass, 1000 at the end) to context.progressWindow. False on any failure and on a cancel,
// each with its job-log line.
bool NormaliseFile(const std::string& path, JobContext& context, int normalizeRatio);

}  // namespace korvida
