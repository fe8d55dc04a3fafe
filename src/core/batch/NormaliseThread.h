#pragma once

namespace korvida {

struct RipJob;

// The normalise file job: every item names a WAV file, normalised in place one after the
// other to the NormalizeRatio of the job's settings. Ends with WM_JOB_DONE (all done, or
// a cancel seen between files) or WM_JOB_FAILED (a file failed or was cancelled; later
// files are left alone), both sent to job.context.progressWindow with the job's address as
// wParam. Each item's outputPath becomes its own path and its outputFolder the working
// output folder (the settings' OutputFolder).
void NormaliseThread(RipJob& job);

}  // namespace korvida
