#pragma once

#include <string>

#include "core/settings/RegistryStore.h"

namespace korvida {

// Keeps the desktop from starting its own player when an audio CD goes in while the
// program runs, and gives the user's verb back at exit.
class AutoplayVerb {
  public:
    explicit AutoplayVerb(RegistryStore store = RegistryStore()) : store_(std::move(store)) {}

    // Start-up, after the drive has been opened: remember the verb, and clear it when
    // disableAutoPlay is 1.
    void SaveAndDisable(int disableAutoPlay);
    // After the options sheet is confirmed.
    void Apply(int disableAutoPlay);
    // At exit: the remembered verb goes back ("Play" when start-up never read one).
    void Restore();

    const std::string& savedVerb() const { return savedVerb_; }

  private:
    RegistryStore store_;
    std::string savedVerb_ = "Play";
};

}  // namespace korvida
