#pragma once

#include <string>

#include "core/verify/TrackVerification.h"

namespace korvida {

// "NN CRC32 %08x CRC32-nonull %08x ARv1 %08x ARv2 %08x <result>": one track's figures as
// the CLI prints them after a rip and the rip log holds them. `number` is the track's
// number on the disc (index + 1). Secure reads' suspicious positions follow as
// " suspicious mm:ss.ff-mm:ss.ff[,…]".
std::string VerificationLine(int number, const TrackVerification& verification);

}  // namespace korvida
