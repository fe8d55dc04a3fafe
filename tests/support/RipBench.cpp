#include "support/RipBench.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "core/disc/LoadDisc.h"
#include "core/rip/RipJobHandle.h"

namespace korvida::test {

RipBench::RipBench(const std::vector<std::uint32_t>& starts, std::uint32_t leadout)
    : disc(WriteDisc(home.path(), starts, leadout)) {
    std::filesystem::create_directories(home / "tmp");
    settings = Settings::Defaults();
    settings.TEMPDIRECTORY = home / "tmp";
    parties.driver = disc.driver.get();
    parties.progressWindow = &progress;
    parties.mainWindow = &main;
}

void RipBench::Load() {
    EXPECT_TRUE(LoadDisc(*disc.driver, settings, info, rows, notifier).ok);
}

bool RipBench::RunRip() {
    RipJobHandle job = StartRip(rows, info, parties, settings, notifier);
    if (!job.started())
        return false;
    cancelEvent = job.cancelEvent().get();
    job.Wait();
    cancelEvent = nullptr;
    return true;
}

void RipBench::Cancel() {
    Event* event = nullptr;
    while (!(event = cancelEvent.load()))
        std::this_thread::yield();
    event->Set();
}

}  // namespace korvida::test
