#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "core/verify/CtdbDisc.h"
#include "core/verify/CtdbReply.h"

namespace korvida {

class Event;
struct Settings;

// How the CTDB lookup of a disc ended.
struct CtdbLookupResult {
    enum class Status {
        kOff,            // [CTDB] Lookup=0 (or Verify=0): nothing was sent
        kFound,          // the reply parsed: `reply` holds the entries (maybe none)
        kNotInDatabase,  // HTTP 404
        kFailed,         // no network, a refused connection, another HTTP status
        kNotFinished,    // still running when the rip ended plus its grace time
        kUnreadable,     // the reply did not parse (`detail` says why)
    };
    Status status = Status::kOff;
    CtdbReply reply;
    std::string detail;  // for the log
};

// The CTDB request for one disc, on its own thread while the drive reads, as the
// AccurateRip lookup is. Owned by the rip thread, which alone calls it.
class CtdbLookup {
  public:
    CtdbLookup() = default;
    ~CtdbLookup();  // cancels a request still running and waits for its thread
    CtdbLookup(const CtdbLookup&) = delete;
    CtdbLookup& operator=(const CtdbLookup&) = delete;

    // Starts the GET when [CTDB] Verify and Lookup are on (and the AccurateRip checksums
    // the CTDB figures ride on) and the disc has audio; else the result is kOff.
    void Start(const CtdbDisc& disc, const Settings& settings);
    // The result, waiting at most graceMs; a request still running then is cancelled and
    // reported kNotFinished. Once only.
    CtdbLookupResult Finish(std::uint32_t graceMs);

    // The request itself, blocking; `cancel` may be null.
    static CtdbLookupResult Run(const CtdbDisc& disc, const Settings& settings, Event* cancel);

  private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace korvida
