// Playing CD frames through ALSA's null device: what is read, where the position is after
// a pause, and how a play ends. The null device takes samples as fast as they come, so
// these also show that the position follows the clock and not the device.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "core/platform/PcmOutput.h"

namespace korvida::test {
namespace {

// Records every read; fails from `failFrom` on.
struct Reads {
    std::mutex mutex;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;  // lba, count
    std::uint32_t failFrom = ~0u;

    CdFrameReader Reader() {
        return [this](std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
            std::fill(out, out + count * 2352, std::uint8_t{0});
            std::lock_guard lock(mutex);
            calls.emplace_back(lba, count);
            return lba + count <= failFrom;
        };
    }
};

// Waits for the play to leave `state`; fails the test after 20 s.
PcmPlayStatus WaitWhile(const PcmOutput& output, PcmPlayState state) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    PcmPlayStatus status = output.Status();
    while (status.state == state && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        status = output.Status();
    }
    EXPECT_NE(status.state, state) << "the play never left its state";
    return status;
}

TEST(PcmOutput, PausedPositionHoldsAndResumeReadsOnFromIt) {
    Reads reads;
    auto started = std::chrono::steady_clock::now();
    std::unique_ptr<PcmOutput> output = PcmOutput::Play("null", 100, 160, reads.Reader());
    ASSERT_TRUE(output);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    output->Pause();
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    PcmPlayStatus paused = output->Status();
    ASSERT_EQ(paused.state, PcmPlayState::kPaused);
    // The null device takes the frames as fast as they come; what has been heard cannot
    // be more than the time that has passed.
    EXPECT_GE(paused.position, 100u);
    EXPECT_LE(paused.position, 100 + elapsed.count() * 75 / 1000 + 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(output->Status().position, paused.position);

    std::size_t readsBeforeResume;
    {
        std::lock_guard lock(reads.mutex);
        readsBeforeResume = reads.calls.size();
    }
    output->Resume();
    PcmPlayStatus done = WaitWhile(*output, PcmPlayState::kPlaying);
    EXPECT_EQ(done.state, PcmPlayState::kCompleted);
    EXPECT_EQ(done.position, 160u);

    // Before the pause the frames were read in order from the start; after it, reading
    // starts again at the frame that was heard last and goes on to the end, no further.
    std::lock_guard lock(reads.mutex);
    ASSERT_GT(reads.calls.size(), readsBeforeResume);
    std::uint32_t expected = 100;
    for (std::size_t i = 0; i < reads.calls.size(); ++i) {
        if (i == readsBeforeResume)
            expected = paused.position;
        EXPECT_EQ(reads.calls[i].first, expected) << "read " << i;
        expected = reads.calls[i].first + reads.calls[i].second;
    }
    EXPECT_EQ(expected, 160u);
}

TEST(PcmOutput, AFrameThatCannotBeReadEndsThePlayAsFailedNotCompleted) {
    Reads reads;
    reads.failFrom = 120;
    std::unique_ptr<PcmOutput> output = PcmOutput::Play("null", 100, 200, reads.Reader());
    ASSERT_TRUE(output);
    PcmPlayStatus end = WaitWhile(*output, PcmPlayState::kPlaying);
    EXPECT_EQ(end.state, PcmPlayState::kFailed);
    EXPECT_LE(end.position, 120u);
    output->Resume();  // nothing to resume
    EXPECT_EQ(output->Status().state, PcmPlayState::kFailed);

    // A reader that throws ends the play the same way, not the program.
    output =
        PcmOutput::Play("null", 100, 200, [](std::uint32_t, std::uint32_t, std::uint8_t*) -> bool {
            throw std::runtime_error("drive gone");
        });
    ASSERT_TRUE(output);
    EXPECT_EQ(WaitWhile(*output, PcmPlayState::kPlaying).state, PcmPlayState::kFailed);
}

}  // namespace
}  // namespace korvida::test
