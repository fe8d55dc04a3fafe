#include "core/settings/AutoplayVerb.h"

namespace korvida {

void AutoplayVerb::SaveAndDisable(int disableAutoPlay) {
    std::string verb;
    if (!store_.ReadAutoplayVerb(&verb))
        return;
    savedVerb_ = verb;
    if (disableAutoPlay == 1)
        store_.WriteAutoplayVerb("");
}

void AutoplayVerb::Apply(int disableAutoPlay) {
    store_.WriteAutoplayVerb(disableAutoPlay == 1 ? std::string() : savedVerb_);
}

void AutoplayVerb::Restore() {
    store_.WriteAutoplayVerb(savedVerb_);
}

}  // namespace korvida
