#include "core/platform/PcmOutput.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/ThreadGuard.h"
#include "core/text/Translate.h"

namespace korvida {

namespace {

constexpr unsigned kSampleRate = 44100;
constexpr std::uint32_t kSamplesPerFrame = 588;  // stereo sample frames per CD frame
constexpr std::uint32_t kBytesPerFrame = 2352;
// Frames read and written at once: 4 CD frames are 53 ms of sound.
constexpr std::uint32_t kChunkFrames = 4;
// How far the feeding may run ahead of the clock, and the device's own buffer: short,
// so that pause and stop are heard at once, long enough to ride out a slow read.
constexpr std::uint64_t kLeadSamples = kSampleRate / 5;
constexpr unsigned kLatencyUs = 200000;
constexpr auto kPoll = std::chrono::milliseconds(10);

// alsa-lib prints its own errors to stderr ("cannot find card '0'"); a missing sound
// card is an ordinary answer here, so those lines are kept quiet.
void Silent(const char*, int, const char*, int, const char*, ...) {}

// Writes all of `samples` (interleaved sample frames); an underrun after a slow read is
// recovered and the write goes on. A negative ALSA error when the device gives up.
long WriteAll(snd_pcm_t* pcm, const std::uint8_t* data, std::uint64_t samples) {
    while (samples > 0) {
        snd_pcm_sframes_t n = snd_pcm_writei(pcm, data, samples);
        if (n < 0) {
            int recovered = snd_pcm_recover(pcm, static_cast<int>(n), 1);
            if (recovered < 0)
                return recovered;
            continue;
        }
        samples -= static_cast<std::uint64_t>(n);
        data += static_cast<std::uint64_t>(n) * 4;
    }
    return 0;
}

}  // namespace

void PcmOutput::PcmCloser::operator()(_snd_pcm* pcm) const {
    snd_pcm_close(pcm);
}

std::string PcmOutput::DeviceName() {
    const char* name = std::getenv("KORVIDA_ALSA_DEVICE");
    return name && *name ? name : "default";
}

std::unique_ptr<PcmOutput> PcmOutput::Play(const std::string& device, std::uint32_t startLba,
                                           std::uint32_t endLba, CdFrameReader reader,
                                           std::string* errorText) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(Silent); });
    if (endLba <= startLba || !reader) {
        if (errorText)
            *errorText = Tr("没有可播放的内容");
        return nullptr;
    }
    snd_pcm_t* raw = nullptr;
    // Opened non-blocking: a device another program holds must not hang the caller.
    int error = snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    std::unique_ptr<_snd_pcm, PcmCloser> pcm(error < 0 ? nullptr : raw);
    if (error >= 0)
        error = snd_pcm_nonblock(pcm.get(), 0);
    if (error >= 0) {
        error = snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                   2, kSampleRate,
                                   /*soft_resample*/ 1, kLatencyUs);
    }
    if (error < 0) {
        if (errorText)
            *errorText = device + ": " + snd_strerror(error);
        return nullptr;
    }
    return std::unique_ptr<PcmOutput>(
        new PcmOutput(pcm.release(), startLba, endLba, std::move(reader)));
}

PcmOutput::PcmOutput(_snd_pcm* pcm, std::uint32_t startLba, std::uint32_t endLba,
                     CdFrameReader reader)
    : pcm_(pcm),
      reader_(std::move(reader)),
      endLba_(endLba),
      segmentLba_(startLba),
      segmentStarted_(Clock::now()),
      // A throw in the play (a reader that fails hard) ends it as a failed play, where
      // the sound ended, as a frame that cannot be read does.
      thread_(StartGuardedThread([this] { Run(); },
                                 [this](const std::string&) {
                                     {
                                         std::lock_guard lock(mutex_);
                                         frozenAt_ = HeardLocked();
                                         state_ = PcmPlayState::kFailed;
                                     }
                                     snd_pcm_drop(pcm_.get());
                                 })) {}

PcmOutput::~PcmOutput() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void PcmOutput::Pause() {
    std::lock_guard lock(mutex_);
    if (state_ != PcmPlayState::kPlaying)
        return;
    frozenAt_ = HeardLocked();
    state_ = PcmPlayState::kPaused;
    wake_.notify_all();
}

void PcmOutput::Resume() {
    std::lock_guard lock(mutex_);
    if (state_ != PcmPlayState::kPaused)
        return;
    ++segment_;
    restart_ = true;
    segmentLba_ = frozenAt_;
    segmentStarted_ = Clock::now();
    written_ = 0;
    deviceHeard_ = 0;
    state_ = frozenAt_ < endLba_ ? PcmPlayState::kPlaying : PcmPlayState::kCompleted;
    wake_.notify_all();
}

PcmPlayStatus PcmOutput::Status() const {
    std::lock_guard lock(mutex_);
    return {state_, HeardLocked()};
}

std::uint64_t PcmOutput::ClockSamples() const {
    auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - segmentStarted_);
    return static_cast<std::uint64_t>(elapsed.count()) * kSampleRate / 1000000;
}

std::uint32_t PcmOutput::HeardLocked() const {
    switch (state_) {
        case PcmPlayState::kPaused:
        case PcmPlayState::kFailed:
            return frozenAt_;
        case PcmPlayState::kCompleted:
            return endLba_;
        case PcmPlayState::kPlaying:
            break;
    }
    std::uint64_t heard = std::min(deviceHeard_, ClockSamples()) / kSamplesPerFrame;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(segmentLba_ + heard, endLba_));
}

void PcmOutput::Run() {
    snd_pcm_t* pcm = pcm_.get();
    std::vector<std::uint8_t> chunk(std::size_t{kChunkFrames} * kBytesPerFrame);
    std::unique_lock lock(mutex_);
    std::uint32_t next = segmentLba_;  // next frame to hand to the device
    while (!stop_) {
        if (state_ == PcmPlayState::kPaused) {
            lock.unlock();
            snd_pcm_drop(pcm);  // silence now, not after the buffer has played out
            lock.lock();
            wake_.wait(lock, [&] { return stop_ || state_ != PcmPlayState::kPaused; });
            continue;
        }
        if (state_ != PcmPlayState::kPlaying)
            break;
        if (restart_) {
            restart_ = false;
            lock.unlock();
            snd_pcm_drop(pcm);
            snd_pcm_prepare(pcm);
            lock.lock();
            next = segmentLba_;
            continue;
        }

        snd_pcm_sframes_t queued = 0;
        if (snd_pcm_delay(pcm, &queued) < 0 || queued < 0)
            queued = 0;  // an underrun: everything written has been played
        deviceHeard_ = written_ - std::min<std::uint64_t>(written_, queued);
        const std::uint64_t clock = ClockSamples();
        if (next >= endLba_) {
            // A device starts by itself once its buffer is full; a play shorter than
            // the buffer, or its tail after an underrun, needs the push.
            if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED && queued > 0)
                snd_pcm_start(pcm);
            if (std::min(deviceHeard_, clock) >= written_) {
                state_ = PcmPlayState::kCompleted;
                break;
            }
            wake_.wait_for(lock, kPoll);
            continue;
        }
        if (written_ > clock + kLeadSamples) {
            wake_.wait_for(lock, kPoll);
            continue;
        }

        const std::uint32_t count = std::min(kChunkFrames, endLba_ - next);
        const std::uint64_t segment = segment_;
        lock.unlock();
        bool ok = reader_(next, count, chunk.data());
        if (ok)
            ok = WriteAll(pcm, chunk.data(), std::uint64_t{count} * kSamplesPerFrame) >= 0;
        lock.lock();
        if (!ok) {
            // A frame that cannot be read or a device that gives up ends the play where
            // the sound ended; it is never reported as played to the end.
            frozenAt_ = HeardLocked();
            state_ = PcmPlayState::kFailed;
            break;
        }
        if (segment == segment_) {
            written_ += std::uint64_t{count} * kSamplesPerFrame;
            next += count;
        }
    }
    lock.unlock();
    snd_pcm_drop(pcm);
}

}  // namespace korvida
