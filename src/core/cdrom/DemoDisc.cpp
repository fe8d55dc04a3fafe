#include "core/cdrom/DemoDisc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "core/cdrom/ScsiTypes.h"
#include "core/ini/WriteFileAtomically.h"
#include "core/text/FormatText.h"

namespace korvida {

namespace {

constexpr int kRate = 44100;

struct TrackRecipe {
    int seconds;
    int pregapFrames;  // silence before INDEX 01, inside the track before it
    double rootHz;     // key
    double bpm;
    std::uint32_t seed;
};

constexpr std::array<TrackRecipe, 3> kTracks = {{
    {21, 0, 220.0, 112.0, 0x1234567u},
    {16, 0, 261.63, 96.0, 0x2468ACEu},
    {27, 75, 196.0, 128.0, 0x13579BDu},
}};

// A small deterministic generator (no library state, same numbers everywhere).
struct Lcg {
    std::uint32_t state;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

double Tone(double hz, double t) {
    // A few harmonics with falling weight: something between a piano and an organ.
    double phase = 2.0 * std::numbers::pi * hz * t;
    return std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.25 * std::sin(3 * phase) +
           0.12 * std::sin(4 * phase);
}

// Appends one track of 16-bit little-endian stereo frames to `out`.
void Synthesise(const TrackRecipe& recipe, std::vector<std::uint8_t>& out) {
    static constexpr int kPentatonic[] = {0, 2, 4, 7, 9, 12, 14, 16};
    static constexpr int kChords[4][3] = {{0, 4, 7}, {7, 11, 14}, {9, 12, 16}, {5, 9, 12}};
    Lcg random{recipe.seed};
    const double beat = 60.0 / recipe.bpm;
    const double note = beat / 2;  // eighth notes
    const int noteCount = static_cast<int>(recipe.seconds / note) + 1;
    std::vector<int> melody(static_cast<std::size_t>(noteCount));
    for (int& step : melody)
        step = kPentatonic[random.Next() % 8];

    const long samples = static_cast<long>(recipe.seconds) * kRate;
    auto semitone = [&](int n) { return recipe.rootHz * std::pow(2.0, n / 12.0); };
    for (long i = 0; i < samples; ++i) {
        double t = static_cast<double>(i) / kRate;
        int noteIndex = static_cast<int>(t / note);
        double inNote = t - noteIndex * note;
        int bar = static_cast<int>(t / (4 * beat)) % 4;
        double inBeat = std::fmod(t, beat);

        double lead = 0.22 * std::exp(-3.0 * inNote) *
                      Tone(2 * semitone(melody[static_cast<std::size_t>(noteIndex)]), t);
        double pad = 0;
        for (int k : kChords[bar])
            pad += 0.06 * std::sin(2 * std::numbers::pi * semitone(k) * t);
        double bass = 0.25 * std::exp(-2.0 * inBeat) * Tone(semitone(kChords[bar][0]) / 2, t);
        double kick = 0.35 * std::exp(-18.0 * inBeat) *
                      std::sin(2 * std::numbers::pi * (50 + 60 * std::exp(-30 * inBeat)) * inBeat);

        // Half-second fades so that tracks start and end quietly.
        double fade = std::min({1.0, t / 0.5, (recipe.seconds - t) / 0.5});
        double left = fade * (0.7 * lead + 0.4 * pad + bass + kick);
        double right = fade * (0.4 * lead + 0.7 * pad + bass + kick);
        for (double value : {left, right}) {
            long sample = std::lround(std::clamp(value, -1.0, 1.0) * 20000.0);
            auto word = static_cast<std::uint16_t>(static_cast<std::int16_t>(sample));
            out.push_back(static_cast<std::uint8_t>(word));
            out.push_back(static_cast<std::uint8_t>(word >> 8));
        }
    }
    // Whole frames only: pad the last one with silence.
    out.resize((out.size() + kRawSectorSize - 1) / kRawSectorSize * kRawSectorSize, 0);
}

std::string Msf(std::size_t frames) {
    return FormatText("%02zu:%02zu:%02zu", frames / 4500, frames / 75 % 60, frames % 75);
}

}  // namespace

std::string MakeDemoDisc(const std::string& folder, std::string* errorText) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        if (errorText)
            *errorText = folder + ": " + ec.message();
        return {};
    }
    std::vector<std::uint8_t> bin;
    // No TITLE or PERFORMER lines: they would become the disc's CD-Text, and the demo
    // stands for a disc nobody has named yet, on which the naming commands are shown.
    std::string cue =
        "REM Korvida demo disc: synthesised music, generated\n"
        "FILE \"demo.bin\" BINARY\n";
    for (std::size_t i = 0; i < kTracks.size(); ++i) {
        const TrackRecipe& recipe = kTracks[i];
        std::size_t frame = bin.size() / kRawSectorSize;
        bin.resize(bin.size() + std::size_t(recipe.pregapFrames) * kRawSectorSize, 0);
        cue += FormatText("  TRACK %02zu AUDIO\n", i + 1);
        if (recipe.pregapFrames)
            cue += "    INDEX 00 " + Msf(frame) + "\n";
        cue += "    INDEX 01 " + Msf(frame + std::size_t(recipe.pregapFrames)) + "\n";
        Synthesise(recipe, bin);
    }

    std::string base = (std::filesystem::path(folder) / "demo").string();
    std::string_view binBytes(reinterpret_cast<const char*>(bin.data()), bin.size());
    if (!WriteFileAtomically(base + ".bin", binBytes, errorText) ||
        !WriteFileAtomically(base + ".cue", cue, errorText)) {
        return {};
    }
    return base + ".cue";
}

std::string PrepareDemoDisc(const std::string& folder, std::string* errorText) {
    const std::filesystem::path base = std::filesystem::path(folder) / "demo";
    // A folder that cannot be looked into counts as empty: MakeDemoDisc then says why.
    std::error_code missing;
    if (std::filesystem::exists(base.string() + ".cue", missing) &&
        std::filesystem::exists(base.string() + ".bin", missing))
        return base.string() + ".cue";
    return MakeDemoDisc(folder, errorText);
}

}  // namespace korvida
