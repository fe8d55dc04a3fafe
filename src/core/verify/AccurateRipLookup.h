#pragma once

#include <cstdint>
#include <string>

#include "core/verify/AccurateRipDisc.h"
#include "core/verify/AccurateRipLookupResult.h"
#include "core/verify/BackgroundLookup.h"

namespace korvida {

class Event;
struct Settings;

// The database address of a disc: http://<server>/accuraterip/<x>/<y>/<z>/dBAR-….bin.
// A server given with its scheme keeps it.
std::string AccurateRipUrl(const std::string& server, const AccurateRipDisc& disc);

// The request for one disc's database file, run on its own thread while the drive reads,
// so it adds no time to a rip. Owned by the rip thread, which alone calls it.
class AccurateRipLookup {
  public:
    // Starts the GET when Verify and Lookup are on and the disc has audio; else the
    // result is kOff (nothing is sent). `settings` give the server and the proxy.
    void Start(const AccurateRipDisc& disc, const Settings& settings);
    // The result, waiting at most graceMs for a request still running; one that has not
    // ended by then is cancelled and reported kNotFinished. Once only.
    AccurateRipLookupResult Finish(std::uint32_t graceMs);

    // The request itself, blocking; `cancel` may be null.
    static AccurateRipLookupResult Run(const AccurateRipDisc& disc, const Settings& settings,
                                       Event* cancel);

  private:
    BackgroundLookup<AccurateRipLookupResult> pending_;
};

}  // namespace korvida
