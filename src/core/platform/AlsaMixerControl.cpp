#include "core/platform/AlsaMixerControl.h"

#include <alsa/asoundlib.h>

namespace korvida {
namespace {

void Silent(const char*, int, const char*, int, const char*, ...) {}

// No sound card is an ordinary state of this machine, not an error to print: ALSA's
// complaints while looking for one are kept off the terminal, and its handler comes back
// afterwards for everyone else.
class QuietAlsa {
  public:
    QuietAlsa() : previous_(snd_lib_error) { snd_lib_error_set_handler(Silent); }
    ~QuietAlsa() { snd_lib_error_set_handler(previous_); }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

  private:
    snd_lib_error_handler_t previous_;
};

}  // namespace

std::unique_ptr<AlsaMixerControl> AlsaMixerControl::Open(const std::string& card,
                                                         const std::string& element) {
    const QuietAlsa quiet;
    std::unique_ptr<AlsaMixerControl> control(new AlsaMixerControl);
    if (snd_mixer_open(&control->mixer_, 0) < 0) {
        control->mixer_ = nullptr;
        return nullptr;
    }
    // From here the destructor closes the mixer whatever fails.
    if (snd_mixer_attach(control->mixer_, card.c_str()) < 0 ||
        snd_mixer_selem_register(control->mixer_, nullptr, nullptr) < 0 ||
        snd_mixer_load(control->mixer_) < 0)
        return nullptr;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, element.c_str());
    snd_mixer_elem_t* found = snd_mixer_find_selem(control->mixer_, id);
    if (!found || !snd_mixer_selem_has_playback_volume(found))
        return nullptr;
    long min = 0, max = 0;
    if (snd_mixer_selem_get_playback_volume_range(found, &min, &max) < 0 || min >= max)
        return nullptr;
    control->element_ = found;
    control->min_ = min;
    control->max_ = max;
    // A mono element answers for its one channel under the first id.
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c)
        if (snd_mixer_selem_has_playback_channel(found,
                                                 static_cast<snd_mixer_selem_channel_id_t>(c)))
            control->channels_.push_back(c);
    if (control->channels_.empty())
        return nullptr;
    return control;
}

AlsaMixerControl::~AlsaMixerControl() {
    if (mixer_)
        snd_mixer_close(mixer_);
}

bool AlsaMixerControl::Value(int channel, long* value) {
    if (channel < 0 || channel >= Channels())
        return false;
    return snd_mixer_selem_get_playback_volume(element_,
                                               static_cast<snd_mixer_selem_channel_id_t>(
                                                   channels_[static_cast<std::size_t>(channel)]),
                                               value) == 0;
}

bool AlsaMixerControl::SetValue(int channel, long value) {
    if (channel < 0 || channel >= Channels())
        return false;
    return snd_mixer_selem_set_playback_volume(element_,
                                               static_cast<snd_mixer_selem_channel_id_t>(
                                                   channels_[static_cast<std::size_t>(channel)]),
                                               value) == 0;
}

void AlsaMixerControl::SetSwitch(bool on) {
    if (snd_mixer_selem_has_playback_switch(element_))
        snd_mixer_selem_set_playback_switch_all(element_, on ? 1 : 0);
}

}  // namespace korvida
