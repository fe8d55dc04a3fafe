#include "core/platform/MasterVolume.h"

#include "core/platform/AlsaMixerControl.h"

namespace korvida {

std::unique_ptr<MixerControl> MasterVolume::OpenDefaultControl() {
    return AlsaMixerControl::Open("default", "Master");
}

MasterVolume::MasterVolume(std::unique_ptr<MixerControl> control) {
    if (control && control->Minimum() < control->Maximum() && control->Channels() > 0)
        control_ = std::move(control);
}

int MasterVolume::EnableLine() {
    return MuteLine(false);
}

int MasterVolume::MuteLine(bool mute) {
    if (!control_)
        return -1;
    control_->SetSwitch(!mute);
    return 1;
}

long MasterVolume::StepCount() const {
    return control_ ? control_->Maximum() - control_->Minimum() : -1;
}

long MasterVolume::Minimum() const {
    return control_ ? control_->Minimum() : -1;
}

long MasterVolume::Maximum() const {
    return control_ ? control_->Maximum() : -1;
}

long MasterVolume::CurrentValue() const {
    long value = 0;
    if (!control_ || !control_->Value(0, &value))
        return -1;
    return value;
}

int MasterVolume::SetValue(long value) {
    if (!control_)
        return -1;
    if (value < control_->Minimum() || value > control_->Maximum())
        return 0;
    int written = 0;
    for (int c = 0; c < control_->Channels(); ++c)
        written += control_->SetValue(c, value) ? 1 : 0;
    return written > 0 ? 1 : 0;
}

}  // namespace korvida
