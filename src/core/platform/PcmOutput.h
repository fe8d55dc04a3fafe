#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct _snd_pcm;

namespace korvida {

// Reads `count` CD-DA frames from `lba` into `out` (count × 2352 bytes, 16-bit stereo,
// little-endian). Called on the playing thread, never under the output's lock; false
// ends the play as failed.
using CdFrameReader =
    std::function<bool(std::uint32_t lba, std::uint32_t count, std::uint8_t* out)>;

enum class PcmPlayState { kPlaying, kPaused, kCompleted, kFailed };

struct PcmPlayStatus {
    PcmPlayState state = PcmPlayState::kPlaying;
    // The first frame (LBA) not yet heard: what a drive's position shows.
    std::uint32_t position = 0;
};

// One play of a range of CD frames through an ALSA PCM device at 44.1 kHz, 16-bit
// stereo. A thread of its own reads the frames and feeds the device; destroying the
// object stops the sound, joins the thread and closes the device.
//
// What has been heard is the smaller of what the device reports as played and what the
// clock allows since the play (or the resume) began: a device without a real clock
// (ALSA's "null") takes a second of samples in milliseconds, so the feeding is paced by
// the clock as well, never by the device alone.
class PcmOutput {
  public:
    // $KORVIDA_ALSA_DEVICE when set and not empty, else "default".
    static std::string DeviceName();

    // Opens `device` and starts playing startLba ≤ f < endLba. nullptr, with the reason
    // in *errorText, when the device does not open or does not take CD audio (no sound
    // card); the caller then has no sound, which is no error of the play itself.
    static std::unique_ptr<PcmOutput> Play(const std::string& device, std::uint32_t startLba,
                                           std::uint32_t endLba, CdFrameReader reader,
                                           std::string* errorText = nullptr);

    ~PcmOutput();
    PcmOutput(const PcmOutput&) = delete;
    PcmOutput& operator=(const PcmOutput&) = delete;

    // Pause silences at once (queued samples are dropped) and freezes the position;
    // resume continues from that frame. Each does nothing in any other state.
    void Pause();
    void Resume();
    PcmPlayStatus Status() const;

  private:
    struct PcmCloser {
        void operator()(_snd_pcm* pcm) const;
    };
    using Clock = std::chrono::steady_clock;

    PcmOutput(_snd_pcm* pcm, std::uint32_t startLba, std::uint32_t endLba, CdFrameReader reader);
    void Run();
    // Called with mutex_ held.
    std::uint64_t ClockSamples() const;
    std::uint32_t HeardLocked() const;

    std::unique_ptr<_snd_pcm, PcmCloser> pcm_;
    const CdFrameReader reader_;
    const std::uint32_t endLba_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    PcmPlayState state_ = PcmPlayState::kPlaying;
    bool stop_ = false;
    // A segment is the stretch played since the start or the last resume; a resume
    // begins a new one, so the thread re-prepares the device and counts from zero.
    std::uint64_t segment_ = 0;
    bool restart_ = false;
    std::uint32_t segmentLba_;
    Clock::time_point segmentStarted_;
    std::uint64_t written_ = 0;      // sample frames handed to the device in this segment
    std::uint64_t deviceHeard_ = 0;  // of those, the ones the device has played
    std::uint32_t frozenAt_ = 0;     // position while paused or after a failure

    std::thread thread_;  // last: starts once everything above is set
};

}  // namespace korvida
