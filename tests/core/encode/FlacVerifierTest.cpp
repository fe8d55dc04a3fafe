// The FLAC check on its thread against streams of the reference encoder: only the very
// samples, all of them, pass.
#include "core/encode/FlacVerifier.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using namespace test;
using Result = FlacVerifier::Result;

class FlacVerifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::uint32_t x = 99;
        for (std::int16_t& s : samples) {
            x = x * 1664525u + 1013904223u;
            s = static_cast<std::int16_t>(x >> 18);  // quiet noise: frames of many sizes
        }
        WriteFile(dir / "a.wav", CdWav(samples));
        RunCommand("flac -s -o '" + dir / "a.flac" + "' '" + dir / "a.wav" + "'");
        flac = ReadFile(dir / "a.flac");
        ASSERT_GT(flac.size(), 1000u);
    }

    Result Check(const std::vector<std::int16_t>& expected, const std::string& stream) {
        FlacVerifier verifier;
        const std::vector<std::int32_t> wide(expected.begin(), expected.end());
        verifier.Expect(wide.data(), wide.size());
        // In the odd pieces an encoder writes.
        for (std::size_t at = 0; at < stream.size(); at += 777) {
            const std::size_t n = std::min<std::size_t>(777, stream.size() - at);
            verifier.Feed(reinterpret_cast<const std::uint8_t*>(stream.data() + at), n);
        }
        return verifier.Finish();
    }

    TempDir dir;
    std::vector<std::int16_t> samples = std::vector<std::int16_t>(2 * 30000);
    std::string flac;
};

TEST_F(FlacVerifierTest, OnlyTheSameSamplesAllOfThemPass) {
    EXPECT_EQ(Check(samples, flac), Result::kSame);

    auto changed = samples;
    changed[40001] ^= 1;  // one bit of one sample of the right channel
    EXPECT_EQ(Check(changed, flac), Result::kMismatch);

    auto longer = samples;
    longer.insert(longer.end(), {0, 0});
    EXPECT_EQ(Check(longer, flac), Result::kMismatch) << "a frame the stream lacks";

    std::string damaged = flac;
    damaged[damaged.size() - 300] ^= 0x10;
    EXPECT_NE(Check(samples, damaged), Result::kSame);
}

// An encode that stops early leaves the check to the destructor: it returns while the
// checker still waits for bytes and samples that never come. The check runs on a thread
// of its own here, so that a hang fails the test instead of stopping the suite.
TEST_F(FlacVerifierTest, AnAbandonedCheckEnds) {
    std::promise<void> destroyed;
    std::future<void> ended = destroyed.get_future();
    std::thread([stream = flac, destroyed = std::move(destroyed)]() mutable {
        {
            FlacVerifier verifier;
            verifier.Feed(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size() / 2);
        }
        destroyed.set_value();
    }).detach();
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(20)), std::future_status::ready);
}

}  // namespace
}  // namespace korvida
