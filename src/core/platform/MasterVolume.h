#pragma once

#include <memory>

namespace korvida {

// One volume control of a sound card's mixer: what MasterVolume needs of it. The program
// uses ALSA's simple mixer (AlsaMixerControl); tests give their own.
class MixerControl {
  public:
    virtual ~MixerControl() = default;
    virtual long Minimum() const = 0;
    virtual long Maximum() const = 0;
    virtual int Channels() const = 0;
    // False when the card refuses (it may have gone away since it was opened).
    virtual bool Value(int channel, long* value) = 0;
    virtual bool SetValue(int channel, long value) = 0;
    // The line's playback switch: on lets the sound through. A control without one
    // ignores it.
    virtual void SetSwitch(bool on) = 0;
};

// The master output volume of the default sound card. Without a card, or without a
// master control on it, the object is unavailable and every operation that needs the
// control returns -1 and changes nothing.
class MasterVolume {
  public:
    // Opens ALSA's "Master" element of the default card; nullptr when there is none.
    static std::unique_ptr<MixerControl> OpenDefaultControl();

    // Unavailable when `control` is null or its range is empty.
    explicit MasterVolume(std::unique_ptr<MixerControl> control);

    bool IsAvailable() const { return control_ != nullptr; }
    // Lets the sound through on every channel (unmutes): 1, or -1 when unavailable.
    int EnableLine();
    // Mutes (true) or unmutes the line: 1, or -1 when unavailable.
    int MuteLine(bool mute);
    long StepCount() const;  // steps between minimum and maximum
    long Minimum() const;
    long Maximum() const;
    // The first channel's value.
    long CurrentValue() const;
    // Writes `value` to every channel. -1 when unavailable, 0 when the value is outside
    // minimum..maximum (nothing is written), 1 when written.
    int SetValue(long value);

  private:
    std::unique_ptr<MixerControl> control_;
};

}  // namespace korvida
