#pragma once

// A finished rip of a long album whose verification found a bit of everything, as the
// progress window receives it with WM_JOB_DONE: for the completion page's tests and the
// screenshot tour.
#include <memory>
#include <string>

#include "core/platform/OutputBase.h"
#include "core/rip/RipJob.h"
#include "core/text/FormatText.h"
#include "core/verify/MatchAccurateRip.h"

namespace korvida::test {

// `tracks` tracks under folder/<artist>/<album>/: tracks 4 and 9 differ from the
// database (secure reads found 9 suspicious at one place), the third from last is not in
// it, the last is silent, the others match.
inline std::unique_ptr<RipJob> VerifiedRipJob(const std::string& folder, int tracks = 20) {
    auto job = std::make_unique<RipJob>();
    job->settings.OutputFolder = folder;
    for (int n = 1; n <= tracks; ++n) {
        RipJobItem item;
        item.index = n - 1;
        item.name = FormatText("第 %d 首歌的名字也相当长", n);
        item.outputFolder = folder;
        item.outputPath = OutputBase(folder) + FormatText(
                                                   "演示歌手/一张名字很长的专辑 (二十周年纪念版)/"
                                                   "%02d - 第 %d 首歌的名字也相当长.MP3",
                                                   n, n);
        TrackVerification& v = item.verification;
        v.checked = true;
        v.outcome = n == 4 || n == 9  ? AccurateRipOutcome::kNotAccurate
                    : n == tracks - 2 ? AccurateRipOutcome::kNotInDatabase
                    : n == tracks     ? AccurateRipOutcome::kSilent
                                      : AccurateRipOutcome::kAccurate;
        if (v.outcome == AccurateRipOutcome::kAccurate) {
            v.confidence = 3 + n % 7 * 11;
            v.version = n % 3 == 0 ? 1 : 2;
        }
        v.resultText = AccurateRipResultText(v, AccurateRipLookupResult::Status::kFound);
        if (n == 9) {
            v.secureMode = 1;
            v.rereadSectors = 31;
            v.suspiciousSpans = {{10513, 10540}};
        }
        job->items.push_back(std::move(item));
    }
    return job;
}

}  // namespace korvida::test
