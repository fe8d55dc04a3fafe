#pragma once

namespace korvida {

struct RipJob;
struct Settings;

// The encoder stage as the rip and encode-files threads call it, for job.current: a rip
// reads job.tempWavPath, a file job the WAV named by the item. The job's own stage
// (job.mp3Stage / job.oggStage) runs when set, else the MP3 or Ogg Vorbis encoder with
// `settings` (null: the job's snapshot, job.settings). Nonzero when the
// item was encoded or the user cancelled it (job.aborted tells which), 0 after the stage
// logged why it failed.
int RunEncoderStage(RipJob& job, bool ogg, const Settings* settings = nullptr);

}  // namespace korvida
