#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <latch>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "core/jobs/Event.h"
#include "core/jobs/JobHandle.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerPool.h"
#include "core/jobs/WorkerThread.h"
#include "core/rip/RipJob.h"
#include "support/AudioTestSupport.h"

namespace korvida {
namespace {

TEST(Event, AutoResetLetsOneWaitThroughManualResetLetsAll) {
    Event autoEvent(false);
    EXPECT_FALSE(autoEvent.Wait(0));
    autoEvent.Set();
    EXPECT_TRUE(autoEvent.IsSet());
    EXPECT_TRUE(autoEvent.Wait(0));
    EXPECT_FALSE(autoEvent.Wait(10));

    Event manual(true);
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.IsSet());
}

TEST(Event, WakesAWaiterOnAnotherThread) {
    Event event(false);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        event.Set();
    });
    EXPECT_TRUE(event.Wait(Event::kInfinite));
    setter.join();
}

TEST(MessageQueue, SendReturnsOnlyAfterTheReceiverHandledIt) {
    MessageQueue queue;
    std::atomic<bool> sendReturned{false};
    std::vector<Message> seen;
    std::thread worker([&] {
        queue.post(WM_EXTRACT_PROGRESS, 500, 12);
        queue.send(WM_JOB_LOG, 0, 0, "2026-12-07 20:00:00 (line)");
        sendReturned = true;
        queue.send(WM_JOB_DONE);
    });
    while (seen.size() < 3) {
        queue.Dispatch(
            [&](const Message& m) {
                // The worker is still blocked in send while its message is handled.
                if (m.id == WM_JOB_LOG) {
                    EXPECT_FALSE(sendReturned.load());
                }
                seen.push_back(m);
            },
            1000);
    }
    worker.join();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].id, WM_EXTRACT_PROGRESS);
    EXPECT_EQ(seen[0].wParam, 500);
    EXPECT_EQ(seen[1].text, "2026-12-07 20:00:00 (line)");
    EXPECT_STREQ(MessageName(seen[2].id), "WM_JOB_DONE");
}

TEST(MessageQueue, SendOnTheReceiverThreadIsHandledAtOnce) {
    MessageQueue queue;
    int handled = 0;
    queue.SetHandler([&](const Message&) { ++handled; });
    queue.send(WM_JOB_LOG);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(queue.Dispatch([](const Message&) {}, 0), 0);
}

int NiceOfThread(int threadPriority) {
    int nice = 1000;
    std::thread t = StartWorkerThread(
        [&] { nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid))); },
        threadPriority, nullptr);
    t.join();
    return nice;
}

TEST(WorkerThread, RunsAtTheNiceValueOfThePriority) {
    const int base = ::getpriority(PRIO_PROCESS, 0);
    EXPECT_EQ(NiceOfThread(0), 19);
    EXPECT_EQ(NiceOfThread(1), std::max(base, 10));
    EXPECT_EQ(NiceOfThread(7), NiceOfThread(2));  // out of range runs as normal
    // Raising may be refused without privileges; the thread still runs.
    EXPECT_LE(NiceOfThread(4), base);
    int setting = 7;
    EXPECT_EQ(NormalizeThreadPriority(setting), 2);
    EXPECT_EQ(setting, 2);
}

// A body that throws ends its thread with the failure reported, never the program: the
// text names the reason, a failing report is dropped, and a job's failure comes before
// its end, so that an owner waiting for the job can still answer it.
TEST(ThreadGuard, AThrowingBodyEndsWithAMessageNotTheProgram) {
    std::vector<std::string> reports;
    std::thread t = StartWorkerThread([] { throw std::runtime_error("disk on fire"); }, 2,
                                      [&](const std::string& text) { reports.push_back(text); });
    t.join();
    t = StartWorkerThread([] { throw 42; }, 2,
                          [&](const std::string& text) { reports.push_back(text); });
    t.join();
    EXPECT_EQ(reports, (std::vector<std::string>{"错误: 意外错误，错误原因: disk on fire！",
                                                 "错误: 意外错误，错误原因: unknown exception！"}));
    RunGuarded([] { throw std::bad_alloc(); },
               [](const std::string&) { throw std::runtime_error("no channel either"); });

    JobHandle<std::vector<std::string>> job(std::make_unique<std::vector<std::string>>());
    job.Start([](std::vector<std::string>&) { throw std::logic_error("bug"); }, 2,
              [&job](std::vector<std::string>& record, const std::string& text) {
                  record.push_back(text + (job.finished() ? " after the end" : ""));
              });
    job.Wait();
    EXPECT_EQ(*job, std::vector<std::string>{"错误: 意外错误，错误原因: bug！"});
}

class WorkerPoolTest : public ::testing::Test {
  protected:
    WorkerPoolTest() {
        job.items.resize(4);
        job.context.mainWindow = &log;
        job.context.cancelEvent = &cancel;
    }
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const Message& m : log.Only(WM_JOB_LOG))
            texts.push_back(m.text.substr(m.text.find(' ', m.text.find(' ') + 1) + 1));
        return texts;
    }
    RipJob job;
    Event cancel{false};  // auto-reset, as a job's
    test::RecordingTarget log;
};

// Every stage a cancel stops says so in its own words; the job's log tells it once.
TEST_F(WorkerPoolTest, ACancelOnFourWorkersIsLoggedOnce) {
    std::latch allRunning(4);
    {
        WorkerPool pool(job.context, job.items.size(), 4, WorkerPool::Shown::kOldestItem);
        for (int n = 1; n <= 4; ++n)
            ASSERT_TRUE(pool.Submit(n, "item", [&](JobContext& context) {
                allRunning.count_down();
                allRunning.wait();
                cancel.Set();
                while (!ConsumeCancelRequest(context))
                    std::this_thread::yield();
                if (FirstToReportCancel(context))
                    LogFormatted(context, "用户已取消。");
                return 1;
            }));
        pool.Finish();
        EXPECT_TRUE(pool.cancelled());
    }
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"用户已取消。"});
    EXPECT_TRUE(job.context.aborted);
    EXPECT_EQ(job.context.cancelReported, nullptr);
}

// The system refuses a thread: the pool works with those it has; with none, the job fails
// with a line instead of ending the program.
TEST_F(WorkerPoolTest, AThreadTheSystemRefusesLeavesTheWorkToTheOthers) {
    for (int refuseFrom : {1, 0}) {
        int started = 0;
        const auto starter = [&](std::function<void()> body, int priority,
                                 ThreadFailure onFailure) {
            if (started++ >= refuseFrom)
                throw std::system_error(EAGAIN, std::generic_category(), "no more threads");
            return StartWorkerThread(std::move(body), priority, std::move(onFailure));
        };
        std::atomic<int> done{0};
        WorkerPool pool(job.context, job.items.size(), 4, WorkerPool::Shown::kOldestItem, starter);
        for (int n = 1; n <= 4; ++n)
            if (!pool.Submit(n, "item", [&](JobContext&) { return ++done, 1; }))
                break;
        pool.Finish();
        EXPECT_EQ(done, refuseFrom == 0 ? 0 : 4);
        EXPECT_EQ(pool.failed(), refuseFrom == 0);
    }
    ASSERT_EQ(LogTexts().size(), 1u);
    EXPECT_EQ(LogTexts()[0].rfind("错误: 意外错误，错误原因: no more threads", 0), 0u)
        << LogTexts()[0];
}

// A window slow to take a worker's message holds that worker only: the others go on
// taking and ending their items meanwhile.
TEST_F(WorkerPoolTest, AWindowSlowToAnswerHoldsOnlyTheWorkerItAnswers) {
    Event secondDone(false);
    bool othersWentOn = false;
    class SlowWindow : public test::RecordingTarget {
      public:
        explicit SlowWindow(Event& done, bool& wentOn) : done_(done), wentOn_(wentOn) {}
        void send(Message message) override {
            if (message.id == WM_DECODE_STATUS)
                wentOn_ = done_.Wait(5000);  // a bound, so a failing pool still ends
            RecordingTarget::send(std::move(message));
        }

      private:
        Event& done_;
        bool& wentOn_;
    } window(secondDone, othersWentOn);
    job.context.progressWindow = &window;
    {
        WorkerPool pool(job.context, job.items.size(), 2, WorkerPool::Shown::kOldestItem);
        ASSERT_TRUE(pool.Submit(1, "first", [](JobContext& context) {
            context.progressWindow->send(WM_DECODE_STATUS, 0, 0, "first");
            return 1;
        }));
        ASSERT_TRUE(pool.Submit(2, "second", [&](JobContext&) {
            secondDone.Set();
            return 1;
        }));
        pool.Finish();
    }
    EXPECT_TRUE(othersWentOn);
}

}  // namespace
}  // namespace korvida
