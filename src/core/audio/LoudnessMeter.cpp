#include "core/audio/LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "core/platform/ThreadGuard.h"

namespace korvida {
namespace {

// Frames handed to the measuring thread at a time, and blocks that may wait for it:
// enough to ride out its hiccups, few enough that a slow meter holds the encoder back
// rather than the memory growing.
constexpr std::size_t kBlockFrames = 32768;
constexpr std::size_t kQueuedBlocks = 8;

// The loudness of one or more states as a gain, none when the library finds none (all
// silence gives -inf).
std::optional<ReplayGain> GainOf(int error, double loudness) {
    if (error != EBUR128_SUCCESS || !std::isfinite(loudness))
        return std::nullopt;
    return ReplayGain{kReplayGainReference - loudness, 0};
}

}  // namespace

// One ebur128 state, destroyed with the record.
struct LoudnessMeter::State {
    // The library's own true peak works sample by sample at a quarter of TruePeak's speed.
    State(unsigned channels, unsigned long sampleRate)
        : handle(ebur128_init(channels, sampleRate, EBUR128_MODE_I)) {}
    ~State() {
        if (handle)
            ebur128_destroy(&handle);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    ebur128_state* handle;  // null when the library refused the format or had no memory
};

LoudnessMeter::LoudnessMeter() = default;

LoudnessMeter::~LoudnessMeter() {
    Finish();
}

bool LoudnessMeter::Start(unsigned channels, unsigned long sampleRate) {
    Finish();
    state_.reset(new (std::nothrow) State(channels, sampleRate));
    if (state_ && !state_->handle)
        state_.reset();
    if (!state_)
        return false;
    truePeak_.emplace(channels);
    channels_ = channels;
    filling_.clear();
    filling_.reserve(kBlockFrames * channels);
    ending_ = false;
    broken_ = false;
    try {
        thread_ =
            StartGuardedThread([this] { Measure(); }, [this](const std::string&) { Break(); });
    } catch (const std::exception&) {
        state_.reset();  // no thread for it: the file goes without values
        return false;
    }
    return true;
}

void LoudnessMeter::Add(const std::int16_t* frames, std::size_t frameCount) {
    if (!thread_.joinable())
        return;
    const std::size_t block = kBlockFrames * channels_;
    std::size_t samples = frameCount * channels_;
    while (samples > 0) {
        const std::size_t take = std::min(samples, block - filling_.size());
        filling_.insert(filling_.end(), frames, frames + take);
        frames += take;
        samples -= take;
        if (filling_.size() == block)
            Hand(false);
    }
}

void LoudnessMeter::Hand(bool last) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kQueuedBlocks || broken_; });
    if (!filling_.empty() && !broken_)
        queue_.push_back(std::move(filling_));
    ending_ = last;
    if (!spare_.empty()) {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    }
    filling_.clear();
    filling_.reserve(kBlockFrames * channels_);
    lock.unlock();
    changed_.notify_all();
}

void LoudnessMeter::Measure() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty() || ending_; });
        if (queue_.empty())
            return;
        Block block = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        changed_.notify_all();
        ebur128_add_frames_short(state_->handle, block.data(), block.size() / channels_);
        truePeak_->Add(block.data(), block.size() / channels_);
        lock.lock();
        spare_.push_back(std::move(block));
    }
}

void LoudnessMeter::Break() {
    std::lock_guard lock(mutex_);
    broken_ = true;
    queue_.clear();
    changed_.notify_all();
}

void LoudnessMeter::Finish() {
    if (!thread_.joinable())
        return;
    Hand(true);
    thread_.join();
}

std::optional<ReplayGain> LoudnessMeter::Result() {
    Finish();
    if (!state_ || broken_)
        return std::nullopt;
    double loudness = 0;
    const int error = ebur128_loudness_global(state_->handle, &loudness);
    std::optional<ReplayGain> result = GainOf(error, loudness);
    if (result)
        result->peak = truePeak_->peak();
    return result;
}

std::optional<ReplayGain> AlbumReplayGain(const std::vector<LoudnessMeter*>& meters) {
    std::vector<ebur128_state*> states;
    double peak = 0;
    for (LoudnessMeter* meter : meters) {
        if (!meter)
            continue;
        meter->Finish();
        if (meter->broken_)
            return std::nullopt;  // an album value without one of its tracks would be wrong
        if (meter->state_) {
            states.push_back(meter->state_->handle);
            peak = std::max(peak, meter->truePeak_->peak());
        }
    }
    if (states.empty())
        return std::nullopt;
    double loudness = 0;
    const int error = ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    std::optional<ReplayGain> result = GainOf(error, loudness);
    if (result)
        result->peak = peak;
    return result;
}

}  // namespace korvida
