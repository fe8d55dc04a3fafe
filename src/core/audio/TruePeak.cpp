#include "core/audio/TruePeak.h"

#include <algorithm>
#include <cmath>

namespace korvida {
namespace {

constexpr int kFactor = 4;
constexpr int kTapCount = 49;

// Phases 1 to 3 of the interpolator; phase 0 is the sample itself (the sinc's other
// taps in it fall on its zeros, the window's ends are zero too).
std::array<TruePeak::Phase, kFactor - 1> MakePhases() {
    std::array<TruePeak::Phase, kFactor - 1> phases{};
    for (int j = 0; j < kTapCount; ++j) {
        const double m = j - (kTapCount - 1) / 2.0;
        const double x = m * M_PI / kFactor;
        double c = std::fabs(m) > 1e-6 ? std::sin(x) / x : 1.0;
        c *= 0.5 * (1 - std::cos(2 * M_PI * j / (kTapCount - 1)));
        if (j % kFactor != 0)
            phases[static_cast<std::size_t>(j % kFactor - 1)]
                  [static_cast<std::size_t>(j / kFactor)] = static_cast<float>(c);
    }
    return phases;
}

const std::array<TruePeak::Phase, kFactor - 1> kPhases = MakePhases();

// The highest magnitude of x[0] to x[count - 1], in lanes the compiler makes one vector
// of (a running maximum in a single variable it leaves scalar).
float Highest(const float* x, std::size_t count) {
    constexpr std::size_t kLanes = 8;
    float lanes[kLanes] = {};
    std::size_t n = 0;
    for (; n + kLanes <= count; n += kLanes)
        for (std::size_t k = 0; k < kLanes; ++k) {
            const float a = std::fabs(x[n + k]);
            lanes[k] = a > lanes[k] ? a : lanes[k];
        }
    float high = 0;
    for (; n < count; ++n)
        high = std::max(high, std::fabs(x[n]));
    for (float lane : lanes)
        high = std::max(high, lane);
    return high;
}

// The highest magnitude of one phase over `count` outputs; x points at the first new
// sample with kHistory older ones before it. Tap by tap over a short run of outputs, so
// that each pass is one multiply-add across a vector of them.
float PhasePeak(const TruePeak::Phase& taps, const float* x, std::size_t count) {
    constexpr std::size_t kRun = 512;
    float out[kRun];
    float high = 0;
    for (std::size_t start = 0; start < count; start += kRun) {
        const std::size_t run = std::min(kRun, count - start);
        const float* in = x + start;
        for (std::size_t n = 0; n < run; ++n)
            out[n] = taps[0] * in[n];
        for (std::size_t t = 1; t <= TruePeak::kHistory; ++t) {
            const float c = taps[t];
            const float* shifted = in - t;
            for (std::size_t n = 0; n < run; ++n)
                out[n] += c * shifted[n];
        }
        high = std::max(high, Highest(out, run));
    }
    return high;
}

}  // namespace

TruePeak::TruePeak(unsigned channels) : channels_(channels), history_(channels) {
    for (auto& h : history_)
        h.fill(0);
}

void TruePeak::Add(const std::int16_t* frames, std::size_t frameCount) {
    if (frameCount == 0)
        return;
    work_.resize(kHistory + frameCount);
    for (unsigned c = 0; c < channels_; ++c) {
        std::copy(history_[c].begin(), history_[c].end(), work_.begin());
        float* samples = work_.data() + kHistory;
        for (std::size_t i = 0; i < frameCount; ++i)
            samples[i] = static_cast<float>(frames[i * channels_ + c]) / 32768.0f;
        float peak = std::max(peak_, Highest(samples, frameCount));
        for (const Phase& phase : kPhases)
            peak = std::max(peak, PhasePeak(phase, samples, frameCount));
        peak_ = peak;
        std::copy(work_.end() - kHistory, work_.end(), history_[c].begin());
    }
}

}  // namespace korvida
