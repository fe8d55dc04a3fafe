#pragma once

#include <string>

#include "core/batch/DecodeMp3ToWav.h"

namespace korvida {

struct RipJob;

// "folder/name.WAV": name is the source's file name without its folder and without the
// text from its last '.' on. The folder is trimmed as every output folder is.
std::string DecodeOutputPath(const std::string& outputFolder, const std::string& source);

// The decode file job: every item names an MP3 or a FLAC file (by its ".flac" name, in
// any case), decoded one after the other into the output folder of the job's settings
// (created when missing); MP3s are normalised when the settings say so, FLACs give back
// their exact samples. Ends with WM_JOB_DONE (all done, or a cancel seen by the normalisation after
// a decode) or WM_JOB_FAILED (a file failed or its decode was cancelled; later files are left
// alone), both sent to job.context.progressWindow with the job's address as wParam. Each item's
// outputPath and outputFolder are filled before its decode begins.
void DecodeThread(RipJob& job);

}  // namespace korvida
