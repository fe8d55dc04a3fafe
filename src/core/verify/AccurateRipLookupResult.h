#pragma once

#include <string>

#include "core/verify/AccurateRipReply.h"

namespace korvida {

// How the database lookup of a disc ended.
struct AccurateRipLookupResult {
    enum class Status {
        kOff,            // [AccurateRip] Lookup=0: nothing was sent
        kFound,          // the reply parsed: `reply` holds the pressings
        kNotInDatabase,  // HTTP 404
        kFailed,         // no network, a refused connection, another HTTP status
        kNotFinished,    // still running when the rip ended plus its grace time
        kUnreadable,     // the reply did not parse (`detail` says why)
    };
    Status status = Status::kOff;
    AccurateRipReply reply;
    std::string detail;  // for the log: the error, the HTTP status, the parse problem
};

}  // namespace korvida
