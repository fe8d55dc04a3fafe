#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <ebur128.h>

namespace korvida {

// ReplayGain 2.0 values of one file or of an album: the gain that brings the integrated
// loudness (EBU R128) to the -18 LUFS reference, and the true peak as a fraction of full
// scale, which is what players use to keep the gain from clipping.
struct ReplayGain {
    double gain = 0;  // dB
    double peak = 0;  // 1.0 = full scale; may exceed it (inter-sample peaks)
};

inline constexpr double kReplayGainReference = -18.0;  // LUFS

// Measures one file's 16-bit samples as they pass on their way to the encoder, so the
// values cost no second read of the file. Not thread-safe; one per file.
class LoudnessMeter {
  public:
    LoudnessMeter();
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Starts a measurement of 1 or 2 channels; a meter that was started before starts
    // over. False when the library refuses the format or has no memory.
    bool Start(unsigned channels, unsigned long sampleRate);
    // Interleaved little-endian 16-bit frames (native int16 on the platforms we build).
    bool Add(const std::int16_t* frames, std::size_t frameCount);
    // The file's values; none when the meter never started or the loudness is not
    // defined (silence, or less than one 400 ms block).
    std::optional<ReplayGain> Result() const;

    bool started() const { return state_ != nullptr; }

  private:
    friend std::optional<ReplayGain> AlbumReplayGain(const std::vector<const LoudnessMeter*>&);
    ebur128_state* state_ = nullptr;
};

// The album's values over every meter that started: the gating runs over all their
// blocks together (not an average of the tracks' figures), the peak is the highest.
std::optional<ReplayGain> AlbumReplayGain(const std::vector<const LoudnessMeter*>& meters);

}  // namespace korvida
