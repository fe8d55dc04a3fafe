// De-emphasis against an independent filter: sox's deemph, tone by tone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/audio/DeEmphasis.h"
#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

// RMS of the second half of a channel (the first settles the filter).
double SettledRms(const std::vector<double>& left) {
    double sum = 0;
    const std::size_t from = left.size() / 2;
    for (std::size_t i = from; i < left.size(); ++i)
        sum += left[i] * left[i];
    return std::sqrt(sum / static_cast<double>(left.size() - from));
}

TEST(DeEmphasis, MatchesSoxWithinATenthOfADecibelFrom20HzTo20kHz) {
    if (!test::HaveTool("sox"))
        GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    for (const double hz : {20.0, 100.0, 1000.0, 3183.0, 5000.0, 10000.0, 15000.0, 20000.0}) {
        SCOPED_TRACE(hz);
        const std::size_t frames = 44100;
        std::vector<std::int16_t> tone(frames * 2);
        for (std::size_t i = 0; i < frames; ++i) {
            const double s = 16000 * std::sin(2 * M_PI * hz * static_cast<double>(i) / 44100);
            tone[2 * i] = tone[2 * i + 1] = static_cast<std::int16_t>(std::lround(s));
        }
        const std::string wav = dir / "tone.wav";
        test::WriteFile(wav, test::CdWav(tone));
        const std::string raw = dir / "sox.f32";
        ASSERT_EQ(std::system(("sox '" + wav + "' -t raw -e floating-point -b 32 '" + raw +
                               "' deemph 2>/dev/null")
                                  .c_str()),
                  0);
        const std::string soxBytes = test::ReadFile(raw);
        std::vector<double> sox;
        for (std::size_t i = 0; i + 8 <= soxBytes.size(); i += 8) {
            float value;
            std::memcpy(&value, soxBytes.data() + i, 4);
            sox.push_back(value * 32768.0);
        }

        std::string error;
        ASSERT_TRUE(DeEmphasiseWavFile(wav, error)) << error;
        const std::vector<std::int16_t> ours = test::Samples(test::ReadFile(wav).substr(44));
        std::vector<double> left;
        for (std::size_t i = 0; i < ours.size(); i += 2)
            left.push_back(ours[i]);
        ASSERT_EQ(left.size(), frames);
        ASSERT_EQ(sox.size(), frames);
        EXPECT_NEAR(20 * std::log10(SettledRms(left) / SettledRms(sox)), 0.0, 0.1);
        // And the curve itself: 20 kHz loses nearly ten decibels.
        if (hz == 20000.0) {
            EXPECT_NEAR(20 * std::log10(SettledRms(left) / (16000 / std::sqrt(2.0))), -9.49, 0.1);
        }
    }
}

}  // namespace
}  // namespace korvida
