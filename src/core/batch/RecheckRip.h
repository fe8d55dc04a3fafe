#pragma once

#include "core/text/Translate.h"

namespace korvida {

struct RipJob;

// The words the front ends announce each track of the check in (JobCaptions).
inline constexpr char kRecheckCaption[] = TR_NOOP("正在校验 (%02d/%02d): ");

// The file job that checks a rip already on disk: job.items holds one item naming the
// PATH (PrepareRecheckSource). The worker opens it as a CD image, replaces the items by
// one per audio track (index: the TOC index; outputPath: the file holding the track),
// takes every track's AccurateRip and CTDB figures on the worker pool while both
// databases are asked, and matches them as a rip's end does. Nothing is written. Ends
// with WM_JOB_DONE (cancelled included) once the tracks are matched, WM_JOB_FAILED when
// the PATH could not be read (the job log says why).
void RecheckRipThread(RipJob& job);

}  // namespace korvida
