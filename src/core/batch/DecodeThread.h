#pragma once

#include <string>
#include <thread>

#include "core/batch/DecodeMp3ToWav.h"

namespace korvida {

class MessageTarget;
struct RipJob;

// "folder/name.WAV": name is the source's file name without its folder and without the
// text from its last '.' on. The folder is trimmed as every output folder is.
std::string DecodeOutputPath(const std::string& outputFolder, const std::string& source);

// The decode file job: every item names an MP3 file, decoded one after the other into
// the output folder (created when missing). Ends with WM_JOB_DONE (all done, or a cancel
// seen by the normalisation after a decode) or WM_JOB_FAILED (a file failed or its decode
// was cancelled; later files are left alone), both sent to job.progressWindow with the
// job's address as wParam. Each item's outputPath and outputFolder are filled before its
// decode begins.
void DecodeThread(RipJob& job, const std::string& outputFolder, const DecodeOptions& options);

// Prepares the file-job record (its items are already in place) and starts the decode
// thread at the ThreadPriority setting; resets the cancel event first so that a request
// left from an earlier job does not cancel this one. The caller joins or detaches the
// thread; `job` must outlive it.
std::thread StartDecodeJob(RipJob& job, MessageTarget* progressWindow, int threadPriority,
                           std::string outputFolder, DecodeOptions options);

}  // namespace korvida
