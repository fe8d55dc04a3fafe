#include "core/replaygain/LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace korvida {
namespace {

// The loudness of one or more states as a gain, none when the library finds none (all
// silence gives -inf).
std::optional<ReplayGain> GainOf(int error, double loudness) {
    if (error != EBUR128_SUCCESS || !std::isfinite(loudness))
        return std::nullopt;
    return ReplayGain{kReplayGainReference - loudness, 0};
}

double TruePeak(ebur128_state* state) {
    double peak = 0;
    for (unsigned c = 0; c < state->channels; ++c) {
        double channel = 0;
        if (ebur128_true_peak(state, c, &channel) == EBUR128_SUCCESS)
            peak = std::max(peak, channel);
    }
    return peak;
}

}  // namespace

LoudnessMeter::LoudnessMeter() = default;

LoudnessMeter::~LoudnessMeter() {
    if (state_)
        ebur128_destroy(&state_);
}

bool LoudnessMeter::Start(unsigned channels, unsigned long sampleRate) {
    if (state_)
        ebur128_destroy(&state_);
    state_ = ebur128_init(channels, sampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    return state_ != nullptr;
}

bool LoudnessMeter::Add(const std::int16_t* frames, std::size_t frameCount) {
    return state_ && ebur128_add_frames_short(state_, frames, frameCount) == EBUR128_SUCCESS;
}

std::optional<ReplayGain> LoudnessMeter::Result() const {
    if (!state_)
        return std::nullopt;
    double loudness = 0;
    const int error = ebur128_loudness_global(state_, &loudness);
    std::optional<ReplayGain> result = GainOf(error, loudness);
    if (result)
        result->peak = TruePeak(state_);
    return result;
}

std::optional<ReplayGain> AlbumReplayGain(const std::vector<const LoudnessMeter*>& meters) {
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters)
        if (meter && meter->state_)
            states.push_back(meter->state_);
    if (states.empty())
        return std::nullopt;
    double loudness = 0;
    const int error = ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    std::optional<ReplayGain> result = GainOf(error, loudness);
    if (result)
        for (ebur128_state* state : states)
            result->peak = std::max(result->peak, TruePeak(state));
    return result;
}

}  // namespace korvida
