#pragma once

namespace korvida {

// A new Ogg stream serial number per file (0 to 2^31 - 1). One generator for the process,
// seeded once from the system's entropy: files begun in the same second (two workers, or
// one fast batch) must not share a serial, or a player chaining them mixes up their
// pages. Thread-safe.
int OggStreamSerial();

}  // namespace korvida
