#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/audio/TruePeak.h"

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
// values cost no second read of the file. The measuring runs on a thread of its own
// beside the encoder, so that a rip takes hardly longer for it. Used by one thread; one
// meter per file.
class LoudnessMeter {
  public:
    LoudnessMeter();
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Starts a measurement of 1 or 2 channels; a meter that was started before starts
    // over. False when the library refuses the format or has no memory.
    bool Start(unsigned channels, unsigned long sampleRate);
    // Interleaved 16-bit frames in the host's byte order (the WAV's, on the platforms we
    // build for). Copied: the caller may reuse its buffer at once.
    void Add(const std::int16_t* frames, std::size_t frameCount);
    // Waits until every frame added is measured. Result and AlbumReplayGain do this too.
    void Finish();
    // The file's values; none when the meter never started or the loudness is not
    // defined (silence, or less than one 400 ms block).
    std::optional<ReplayGain> Result();

    bool started() const { return state_ != nullptr; }

  private:
    friend std::optional<ReplayGain> AlbumReplayGain(const std::vector<LoudnessMeter*>&);
    using Block = std::vector<std::int16_t>;
    // The library's state, known only to LoudnessMeter.cpp: users of the meter neither
    // compile against the library nor see its types.
    struct State;
    void Measure();
    void Hand(bool last);
    // The measuring thread failed (an exception, reported through the thread guard): the
    // meter gives no values and takes no more blocks.
    void Break();

    std::unique_ptr<State> state_;
    std::optional<TruePeak> truePeak_;
    unsigned channels_ = 0;
    Block filling_;  // frames gathered here, handed over a block at a time
    // Shared with the measuring thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> queue_;
    std::vector<Block> spare_;  // measured blocks, reused for their storage
    bool ending_ = false;
    bool broken_ = false;  // written under mutex_; read after the thread is joined
    std::thread thread_;
};

// The album's values over every meter that started: the gating runs over all their
// blocks together (not an average of the tracks' figures), the peak is the highest.
std::optional<ReplayGain> AlbumReplayGain(const std::vector<LoudnessMeter*>& meters);

}  // namespace korvida
