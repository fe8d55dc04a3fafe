#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvida {

// The true peak of 16-bit samples (ITU-R BS.1770): the highest magnitude of the signal
// four times oversampled by a 49-tap Hann-windowed sinc, the interpolator loudness tools
// use, so the figure agrees with theirs. Computed over a channel at a time in blocks,
// which the compiler turns into vector code: in line, sample by sample, it cost a rip
// more than the encoder's own work did.
class TruePeak {
  public:
    explicit TruePeak(unsigned channels);

    // Interleaved frames, continuing the ones before.
    void Add(const std::int16_t* frames, std::size_t frameCount);
    // 1.0 = full scale.
    double peak() const { return peak_; }

    // Each output phase's taps, newest sample first: sample n of phase p is
    // sum over t of kTaps[p][t] * x[n - t].
    static constexpr std::size_t kHistory = 11;
    using Phase = std::array<float, kHistory + 1>;

  private:
    unsigned channels_;
    std::vector<std::array<float, kHistory>> history_;  // each channel's last samples
    std::vector<float> work_;                           // history, then this block's samples
    float peak_ = 0;
};

}  // namespace korvida
