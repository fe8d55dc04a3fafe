#pragma once

#include <functional>

namespace korvida {

struct RipJob;
struct RipJobItem;

// Output formats of the OutputFormat setting.
constexpr int kOutputMp3 = 0;
constexpr int kOutputWav = 1;
constexpr int kOutputOgg = 2;

// The rip thread's work: every item in order is announced (WM_ITEM_STATUS 0 posted to the
// progress window, WM_CURRENT_TRACK to the main window), extracted and, unless the output
// format is WAV, encoded. Ends with WM_JOB_DONE (all items, or a cancel seen by a stage)
// or WM_JOB_FAILED (a stage failed; later items are not begun), sent to the progress
// window with the job's address as wParam, so the receiver may read the items while it
// handles them. Every setting comes from the job's snapshot (job.settings).
void RipThread(RipJob& job);

// The loop of every file job: each item in order becomes job.current, is announced
// (WM_ITEM_STATUS 0, sent) and handed to `work`. 0 from `work` ends the job with
// WM_JOB_FAILED and later items are not begun; a cancel (job.aborted) or the end of the
// list ends it with WM_JOB_DONE.
void RunFileJobItems(RipJob& job, const std::function<int(RipJobItem&)>& work);

// The encode-files thread of a file job: each item's WAV encoded to Ogg Vorbis when
// job.oggOutput is set, else to MP3.
void EncodeFilesThread(RipJob& job);

}  // namespace korvida
