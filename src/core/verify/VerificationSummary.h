#pragma once

#include <string>
#include <vector>

#include "core/verify/TrackVerification.h"

namespace korvida {

// What a rip's verification says as a whole, in words for someone who has never heard of
// AccurateRip: one line for the end of a rip (the completion page, a CLI could print it)
// and the explanation behind it.
struct VerificationSummary {
    // The worst result among the tracks, for the icon beside the line.
    enum class Level {
        kNothing,      // nothing was checked: no line to show
        kConfirmed,    // every track confirmed (by the database, or by test and copy alone)
        kUnconfirmed,  // some tracks could not be compared; nothing was found wrong
        kProblem,      // a track differs from the database, or its reads never agreed
    };
    Level level = Level::kNothing;
    std::string line;     // empty for kNothing
    std::string details;  // what the results mean, a paragraph per kind of result present
};

// The tracks of one rip in job order; file jobs and rips without verification have
// nothing to summarise.
VerificationSummary SummariseVerification(const std::vector<const TrackVerification*>& tracks);

// One track's result in a sentence: what its short text (VerificationText) means.
std::string VerificationExplanation(const TrackVerification& verification);

}  // namespace korvida
