#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform/MasterVolume.h"

struct _snd_mixer;
struct _snd_mixer_elem;

namespace korvida {

// A playback volume element of ALSA's simple mixer ("Master" of "default" for the
// master volume). Values are the element's raw volume units, not dB.
class AlsaMixerControl : public MixerControl {
  public:
    // nullptr when the card does not open or has no such element with a playback volume
    // of more than one step.
    static std::unique_ptr<AlsaMixerControl> Open(const std::string& card,
                                                  const std::string& element);
    ~AlsaMixerControl() override;
    AlsaMixerControl(const AlsaMixerControl&) = delete;
    AlsaMixerControl& operator=(const AlsaMixerControl&) = delete;

    long Minimum() const override { return min_; }
    long Maximum() const override { return max_; }
    int Channels() const override { return static_cast<int>(channels_.size()); }
    bool Value(int channel, long* value) override;
    bool SetValue(int channel, long value) override;
    void SetSwitch(bool on) override;

  private:
    AlsaMixerControl() = default;

    _snd_mixer* mixer_ = nullptr;         // owned: closed by the destructor
    _snd_mixer_elem* element_ = nullptr;  // belongs to mixer_
    long min_ = 0;
    long max_ = 0;
    std::vector<int> channels_;  // ALSA channel ids the element has, in id order
};

}  // namespace korvida
