#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/jobs/Event.h"
#include "core/rip/RipCommand.h"
#include "core/settings/Settings.h"
#include "support/DiscImage.h"
#include "support/RecordingNotifier.h"
#include "support/RipTestSupport.h"
#include "support/TempHome.h"

namespace korvida::test {

// A disc of the pattern in a fresh app home, loaded as the main window loads a disc, and
// its rips run on their own thread as the GUI starts them, the progress and main
// windows' messages recorded.
class RipBench {
  public:
    RipBench(const std::vector<std::uint32_t>& starts, std::uint32_t leadout);

    // Loads the disc with `settings`; the rows come ticked as the program ticks them.
    void Load();
    // Rips the ticked rows and waits for the job's end; false when it did not start.
    bool RunRip();
    // The Abort button, from a message handler on the worker's thread: the worker may be
    // that far before StartRip has returned the handle.
    void Cancel();

    TempHome home;
    DriverOnImage disc;
    Settings settings;  // the defaults, with temporary files under the home
    DiscInfo info;
    TrackList rows;
    RecordingNotifier notifier;
    ScriptedTarget progress;
    ScriptedTarget main;
    std::atomic<Event*> cancelEvent{nullptr};
    JobParties parties;
};

}  // namespace korvida::test
