#pragma once

namespace korvida {

struct RipJob;

// After job.current is extracted: a track whose TOC control bits say pre-emphasis gets a
// log line, and with DeEmphasis on its WAV is de-emphasised before it is encoded (the
// checksums were taken from the audio as the disc holds it). 0 when the file could not
// be rewritten, which is logged; 1 otherwise, also after a cancel.
int DeEmphasiseTrack(RipJob& job);

// The track (by index in TOC order; -1, the hidden track, lies in track 1) carries
// pre-emphasis.
bool HasPreEmphasis(const RipJob& job, int index);

}  // namespace korvida
