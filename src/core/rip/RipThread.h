#pragma once

#include "core/encode/EncoderFormats.h"

namespace korvida {

struct RipJob;

// The rip thread's work: every item in order is announced (WM_ITEM_STATUS 0 posted to the
// progress window, WM_CURRENT_TRACK to the main window), extracted and, unless the output
// format is WAV, encoded by the format of `encoders` that the OutputFormat setting names,
// into the file the naming rule gives. Ends with WM_JOB_DONE (all items, or a cancel seen
// by a stage) or WM_JOB_FAILED (a stage failed; later items are not begun), sent to the
// progress window with the job's address as wParam, so the receiver may read the items
// while it handles them. Every setting comes from the job's snapshot (job.settings).
//
// With EncoderThreads other than 1 and an encoded format, this thread only reads: each
// extracted track goes to a WorkerPool behind it (the reader waits while as many tracks
// as there are workers wait), the files are those one thread writes, and the end of the
// rip (verification, rip log, end message) comes after every worker is through. An
// encoder that fails ends the job as failed once the encodes under way are through.
void RipThread(RipJob& job, const EncoderFormats& encoders = BuiltInEncoders());

}  // namespace korvida
