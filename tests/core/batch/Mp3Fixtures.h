#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/pipeline/PipelineTestSupport.h"
#include "support/TempHome.h"

namespace korvida::test {

// The sample bytes and format of a WAV file, found by walking its chunks, and whether
// its RIFF and data sizes agree with its length and with each other.
struct WavView {
    bool consistent = false;
    int formatTag = 0;
    int channels = 0;
    std::uint32_t rate = 0;
    std::string data;
};

inline std::uint32_t Get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

inline WavView ViewWav(const std::string& b) {
    WavView v;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0)
        return v;
    for (std::size_t pos = 12; pos + 8 <= b.size();) {
        const std::uint32_t size = Get32(b, pos + 4);
        if (b.compare(pos, 4, "fmt ") == 0) {
            v.formatTag = static_cast<std::uint8_t>(b[pos + 8]);
            v.channels = static_cast<std::uint8_t>(b[pos + 10]);
            v.rate = Get32(b, pos + 12);
        } else if (b.compare(pos, 4, "data") == 0) {
            v.data = b.substr(pos + 8, size);
            v.consistent = Get32(b, 4) == b.size() - 8 && pos + 8 + size == b.size();
            return v;
        }
        pos += 8 + size + (size & 1);
    }
    return v;
}

// A CD-audio WAV of two tones, `seconds` long, loud enough for the encoder to have work.
inline std::string ToneWav(double seconds) {
    std::vector<std::int16_t> samples;
    const int frames = static_cast<int>(seconds * 44100);
    for (int i = 0; i < frames; ++i) {
        samples.push_back(static_cast<std::int16_t>(9000 * std::sin(i * 2 * M_PI * 440 / 44100)));
        samples.push_back(static_cast<std::int16_t>(7000 * std::sin(i * 2 * M_PI * 660 / 44100)));
    }
    return CdWav(samples);
}

// MP3 files made once per test program by the lame command line, from one tone WAV.
class Mp3Fixtures {
  public:
    static const Mp3Fixtures& Get() {
        static const Mp3Fixtures fixtures;
        return fixtures;
    }
    // lame's options → a file; empty when lame is missing or refused them.
    std::string Make(const std::string& name, const std::string& options) const {
        const std::string path = dir_ / name;
        const std::string command =
            "lame --quiet " + options + " '" + wav_ + "' '" + path + "' 2>/dev/null";
        return std::system(command.c_str()) == 0 ? path : std::string();
    }
    const std::string& folder() const { return dir_.path(); }

  private:
    Mp3Fixtures() : wav_(dir_ / "tone.wav") { WriteFile(wav_, ToneWav(2.0)); }
    TempDir dir_;
    std::string wav_;
};

// mpg123's decode of every frame (no gapless trimming), the independent reference.
inline WavView Mpg123Decode(const std::string& mp3) {
    const std::string out = mp3 + ".mpg123.wav";
    const std::string command = "mpg123 -q --no-gapless -w '" + out + "' '" + mp3 + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    return ViewWav(ReadFile(out));
}

}  // namespace korvida::test
