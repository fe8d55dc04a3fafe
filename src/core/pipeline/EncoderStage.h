#pragma once

namespace korvida {

struct RipJob;

// The encoder stages as the rip and encode-files threads call them, for job.current:
// a rip reads job.tempWavPath, a file job the WAV named by the item. Nonzero when the item
// was encoded or the user cancelled it (job.aborted tells which), 0 after the stage logged
// why it failed.
int RunMp3Stage(RipJob& job);
int RunOggStage(RipJob& job);

// The stage the job asks for: its own (job.mp3Stage / job.oggStage) when set, else the
// built-in one above.
int RunEncoderStage(RipJob& job, bool ogg);

}  // namespace korvida
