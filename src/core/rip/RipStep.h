#pragma once

#include <string>

namespace korvida {

struct RipJob;

// The parts of a rip beyond reading a track once and encoding it, as WM_RIP_STEP names
// them (wParam), so the window can say which one runs.
enum class RipStep {
    kTestRead = 1,          // test and copy: the first read, which writes nothing
    kCopyRead = 2,          // test and copy: the read the file keeps
    kReread = 3,            // a read after test and copy disagreed; lParam: its number from 1
    kReadingDone = 4,       // every track is read; encoders may still be at work
    kAwaitAccurateRip = 5,  // the rip waits for the AccurateRip database's answer
    kAlbumReplayGain = 6,   // the album's ReplayGain goes into every file's tags
    kRipLog = 7,            // the rip log and the cue sheet are written
    kAwaitCtdb = 8,         // the rip waits for the CTDB database's answer
    kDetectGaps = 9,        // gaps and indexes are sought; lParam: track × 100 + track count
    kSecureReread = 10,     // secure reads settle a sector; lParam: its number in the read
};

// What the progress window and the CLI say of a step; `number` is kReread's count.
std::string RipStepText(RipStep step, int number = 0);

// Tells the job's progress window (WM_RIP_STEP) that the step begins.
void PostRipStep(RipJob& job, RipStep step, int number = 0);

}  // namespace korvida
