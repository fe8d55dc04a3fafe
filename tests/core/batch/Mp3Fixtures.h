#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida::test {

// A WAV file's format and sample bytes, found by walking its chunks; consistent when its
// RIFF and data sizes agree with its length (the data chunk last).
struct WavView {
    bool consistent = false;
    int channels = 0;
    std::uint32_t rate = 0;
    std::string data;
};

inline std::uint32_t Get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

inline WavView ViewWav(const std::string& b) {
    WavView v;
    for (std::size_t pos = 12; b.compare(0, 4, "RIFF") == 0 && pos + 8 <= b.size();) {
        const std::uint32_t size = Get32(b, pos + 4);
        if (b.compare(pos, 4, "fmt ") == 0) {
            v.channels = b[pos + 10];
            v.rate = Get32(b, pos + 12);
        } else if (b.compare(pos, 4, "data") == 0) {
            v.data = b.substr(pos + 8, size);
            v.consistent = Get32(b, 4) == b.size() - 8 && pos + 8 + size == b.size();
            break;
        }
        pos += 8 + size + (size & 1);
    }
    return v;
}

// CD audio of two tones, loud enough for the encoder to have work.
inline std::string ToneWav(double seconds) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < static_cast<int>(seconds * 44100); ++i) {
        samples.push_back(static_cast<std::int16_t>(9000 * std::sin(i * 2 * M_PI * 440 / 44100)));
        samples.push_back(static_cast<std::int16_t>(7000 * std::sin(i * 2 * M_PI * 660 / 44100)));
    }
    return CdWav(samples);
}

// An MP3 of a 2-second tone made by the lame command line with `options`; empty when
// lame refused them.
inline std::string LameMp3(const std::string& name, const std::string& options) {
    static const TempDir dir;
    static const bool wav = (WriteFile(dir / "tone.wav", ToneWav(2.0)), true);
    const std::string path = dir / name;
    const std::string command =
        "lame --quiet " + options + " '" + dir / "tone.wav" + "' '" + path + "' 2>/dev/null";
    return wav && std::system(command.c_str()) == 0 ? path : std::string();
}

// mpg123's decode of every frame (no gapless trimming): the independent reference.
inline WavView Mpg123Decode(const std::string& mp3) {
    const std::string out = mp3 + ".mpg123.wav";
    const std::string command = "mpg123 -q --no-gapless -w '" + out + "' '" + mp3 + "'";
    return std::system(command.c_str()) == 0 ? ViewWav(ReadFile(out)) : WavView{};
}

}  // namespace korvida::test
