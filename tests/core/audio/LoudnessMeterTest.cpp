#include "core/audio/LoudnessMeter.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace korvida {
namespace {

// Half full scale at a quarter of the sample rate, out of phase with the samples: the
// peaks fall between them, well above every sample.
std::vector<std::int16_t> InterSamplePeaks(unsigned channels, std::size_t frames) {
    std::vector<std::int16_t> samples;
    std::mt19937 noise(7);
    for (std::size_t i = 0; i < frames; ++i)
        for (unsigned c = 0; c < channels; ++c) {
            const double tone = 0.9 * std::sin(2 * M_PI * 11025.0 * i / 44100 + M_PI / 4);
            const double hiss = c == 1 ? (static_cast<int>(noise() % 2001) - 1000) / 32768.0 : 0;
            samples.push_back(static_cast<std::int16_t>(std::lround(32767 * (tone + hiss))));
        }
    return samples;
}

double LibraryTruePeak(const std::vector<std::int16_t>& samples, unsigned channels) {
    ebur128_state* state = ebur128_init(channels, 44100, EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_short(state, samples.data(), samples.size() / channels);
    double peak = 0;
    for (unsigned c = 0; c < channels; ++c) {
        double channel = 0;
        ebur128_true_peak(state, c, &channel);
        peak = std::max(peak, channel);
    }
    ebur128_destroy(&state);
    return peak;
}

TEST(TruePeakTest, AgreesWithTheLoudnessLibraryWhateverTheBlocks) {
    for (unsigned channels : {1u, 2u}) {
        const std::vector<std::int16_t> samples = InterSamplePeaks(channels, 20000);
        const double expected = LibraryTruePeak(samples, channels);
        int highest = 0;
        for (std::int16_t s : samples)
            highest = std::max(highest, std::abs(int{s}));
        ASSERT_GT(expected, 1.2 * highest / 32768);  // the case is one: far above the samples
        // Uneven blocks, so that the filter's history crosses every kind of seam.
        TruePeak peak(channels);
        std::size_t at = 0;
        for (std::size_t block : {1, 2, 11, 12, 13, 500, 4096}) {
            peak.Add(samples.data() + at * channels, block);
            at += block;
        }
        peak.Add(samples.data() + at * channels, samples.size() / channels - at);
        EXPECT_NEAR(peak.peak(), expected, 1e-6) << channels << " channels";
    }
}

TEST(LoudnessMeterTest, SilenceAndTooShortHaveNoValuesAndTakeNoPartInTheAlbum) {
    const std::vector<std::int16_t> tone = InterSamplePeaks(2, 44100);
    LoudnessMeter silent, brief, loud, unstarted;
    const std::vector<std::int16_t> zeros(2 * 44100, 0);
    ASSERT_TRUE(silent.Start(2, 44100) && brief.Start(2, 44100) && loud.Start(2, 44100));
    silent.Add(zeros.data(), 44100);
    brief.Add(tone.data(), 4410);  // 100 ms: not one whole 400 ms block
    loud.Add(tone.data(), 44100);
    EXPECT_FALSE(silent.Result());
    EXPECT_FALSE(brief.Result());
    EXPECT_FALSE(unstarted.Result());
    const auto track = loud.Result();
    const auto album = AlbumReplayGain({&silent, &brief, &loud, &unstarted, nullptr});
    ASSERT_TRUE(track && album);
    EXPECT_NEAR(album->gain, track->gain, 0.01);
    EXPECT_DOUBLE_EQ(album->peak, track->peak);
}

}  // namespace
}  // namespace korvida
