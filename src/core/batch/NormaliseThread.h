#pragma once

#include <string>
#include <thread>

namespace korvida {

class MessageTarget;
struct RipJob;

// The normalise file job: every item names a WAV file, normalised in place one after the
// other. Ends with WM_JOB_DONE (all done, or a cancel seen between files) or
// WM_JOB_FAILED (a file failed or was cancelled; later files are left alone), both sent
// to job.progressWindow with the job's address as wParam. Each item's outputPath becomes
// its own path and its outputFolder the working output folder.
void NormaliseThread(RipJob& job, int normalizeRatio, const std::string& outputFolder);

// Prepares the file-job record (its items are already in place) and starts the normalise
// thread at the ThreadPriority setting: resets the cancel event so that a request left
// from an earlier job does not cancel this one. The caller joins or detaches the thread;
// `job` must outlive it.
std::thread StartNormaliseJob(RipJob& job, MessageTarget* progressWindow, int threadPriority,
                              int normalizeRatio, std::string outputFolder);

}  // namespace korvida
