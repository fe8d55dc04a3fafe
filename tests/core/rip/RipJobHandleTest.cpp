// A job's owner goes away while its worker runs: the worker must neither be left waiting
// in a send to a thread that no longer handles messages nor outlive its record.

#include "core/rip/RipJobHandle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "core/disc/LoadDisc.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipTestSupport.h"
#include "core/rip/RipThread.h"
#include "support/RecordingNotifier.h"

namespace korvida {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

// Passes everything on and counts the sends under way, so a test knows when the worker
// waits in one.
class SendCounter : public MessageTarget {
  public:
    explicit SendCounter(MessageTarget& to) : to_(to) {}
    void post(Message message) override { to_.post(std::move(message)); }
    void send(Message message) override {
        ++underWay_;
        to_.send(std::move(message));
        --underWay_;
    }
    using MessageTarget::post;
    using MessageTarget::send;
    int underWay() const { return underWay_.load(); }

  private:
    MessageTarget& to_;
    std::atomic<int> underWay_{0};
};

// Three tracks of 60 frames ripped to WAV; the test's thread is the window, handling the
// job's messages from a queue as the GUI's event loop would.
class RipJobHandleTest : public ::testing::Test {
  protected:
    RipJobHandleTest() : disc(test::WriteDisc(home.path(), {0, 60, 120}, 180)) {
        settings = Settings::Defaults();
        settings.OutputFolder = home / "out";
        settings.OutputFormat = kOutputWav;
        EXPECT_TRUE(LoadDisc(*disc.driver, settings, info, rows, notifier).ok);
        rows.CheckAll(true);
        parties.driver = disc.driver.get();
        parties.progressWindow = &counter;
        parties.mainWindow = &counter;
    }

    void Handle(const Message& m) {
        if (m.id == WM_JOB_LOG)
            log.push_back(m.text.substr(m.text.find(' ', m.text.find(' ') + 1) + 1));  // no stamp
        if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED)
            ends.push_back(m.id);
    }
    bool Logged(const std::string& text) const {
        return std::find(log.begin(), log.end(), text) != log.end();
    }
    MessageQueue::Handler Handler() {
        return [this](const Message& m) { Handle(m); };
    }

    test::TempHome home;
    test::DiscDriver disc;
    Settings settings;
    DiscInfo info;
    TrackList rows;
    test::RecordingNotifier notifier;
    MessageQueue window;  // handled on this thread
    SendCounter counter{window};
    JobParties parties;
    std::vector<std::string> log;
    std::vector<unsigned> ends;
};

TEST_F(RipJobHandleTest, DroppedMidRipItCancelsAndHandlesMessagesUntilTheEnd) {
    RipJobHandle job = StartRip(rows, info, parties, settings, notifier);
    job.SetPump([&](std::uint32_t ms) { window.Dispatch(Handler(), ms); });
    // The worker waits in the send of this line until it is handled here.
    while (!Logged("正在抓取 音轨 2 ..."))
        window.Dispatch(Handler(), 1000);

    job = RipJobHandle();  // the owner goes away

    EXPECT_THAT(ends, ElementsAre(WM_JOB_DONE));
    EXPECT_THAT(log, Contains("用户取消操作。"));
    EXPECT_THAT(log, Not(Contains("抓取 音轨 3 完成！")));
    EXPECT_EQ(window.Dispatch(Handler(), 0), 0) << "nothing after the end";
}

TEST_F(RipJobHandleTest, ARipCancelledWhileItsWindowClosesEndsWithoutADeadlock) {
    RipJobHandle job = StartRip(rows, info, parties, settings, notifier);
    // Nobody handles messages: the worker is soon waiting in its first send.
    while (counter.underWay() == 0)
        std::this_thread::yield();

    job.Cancel();    // the Abort button …
    window.Close();  // … and the window closes before it handled anything more
    job.Wait();      // no pump: only the closed window can release the worker

    EXPECT_TRUE(job.finished());
    EXPECT_TRUE(job->aborted);
    EXPECT_TRUE(job->endSent);
    EXPECT_TRUE(ends.empty()) << "a closed window handles nothing";
    EXPECT_FALSE(std::filesystem::exists(home / "out/02-音轨 2.WAV"));
}

}  // namespace
}  // namespace korvida
