#pragma once

namespace korvida {

struct RipJob;

// The rip's end, before its end message goes out (the receiver reads job.ripLogPath):
// with [AccurateRip] WriteLog on, writes "<artist> - <album>.log" (named as the naming
// rule names files) beside the first track's file, and for a finished WAV or FLAC rip of
// every audio track the cue sheet of the same name (job.cueSheetPath). A failed or cancelled rip
// still gets its log, which says so. Each file is written whole or not at all; a file that cannot
// be written is a job-log line and never changes how the rip ended. endMessage: WM_JOB_DONE or
// WM_JOB_FAILED.
void WriteRipLogIfAsked(RipJob& job, unsigned endMessage);

}  // namespace korvida
