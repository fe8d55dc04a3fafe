#include "core/audio/DeEmphasis.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/audio/WavFile.h"
#include "core/platform/ErrorText.h"

namespace korvida {
namespace {

// A high shelf (5265.1 Hz, slope 0.4744, -9.481 dB at 44100 Hz) whose three figures were
// fitted to |(1 + jωT2) / (1 + jωT1)| with T1 = 50 µs and T2 = 15 µs; normalised by a0.
constexpr double kB0 = 0.4603150444178923;
constexpr double kB1 = -0.28436791456856375;
constexpr double kB2 = 0.0317897771332747;
constexpr double kA1 = -1.052649974902882;
constexpr double kA2 = 0.26038688188548503;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

void DeEmphasis::Process(std::int16_t* samples, std::size_t frames) {
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            std::int16_t& sample = samples[2 * i + static_cast<std::size_t>(c)];
            const double x = sample;
            const double y = kB0 * x + kB1 * x1_[c] + kB2 * x2_[c] - kA1 * y1_[c] - kA2 * y2_[c];
            x2_[c] = x1_[c];
            x1_[c] = x;
            y2_[c] = y1_[c];
            y1_[c] = y;
            sample = static_cast<std::int16_t>(std::clamp(std::lround(y), -32768L, 32767L));
        }
    }
}

bool DeEmphasiseWavFile(const std::string& path, std::string& error) {
    const std::string partial = path + ".deemph";
    const auto fail = [&](const std::string& file) {
        error = file + ": " + ErrorText(errno);
        ::unlink(partial.c_str());
        return false;
    };
    File in(std::fopen(path.c_str(), "rb"));
    if (!in)
        return fail(path);
    File out(std::fopen(partial.c_str(), "wb"));
    if (!out)
        return fail(partial);
    std::uint8_t header[kWavHeaderSize];
    if (std::fread(header, 1, sizeof header, in.get()) != sizeof header) {
        errno = errno ? errno : EIO;
        return fail(path);
    }
    if (std::fwrite(header, 1, sizeof header, out.get()) != sizeof header)
        return fail(partial);
    DeEmphasis filter;
    std::vector<std::uint8_t> bytes(588 * 4 * 75);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (;;) {
        const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), in.get());
        const std::size_t frames = got / 4;
        // Little-endian on disc whatever the host: assembled by hand.
        for (std::size_t i = 0; i < frames * 2; ++i)
            samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        filter.Process(samples.data(), frames);
        for (std::size_t i = 0; i < frames * 2; ++i) {
            bytes[2 * i] = static_cast<std::uint8_t>(samples[i]);
            bytes[2 * i + 1] =
                static_cast<std::uint8_t>(static_cast<std::uint16_t>(samples[i]) >> 8);
        }
        if (std::fwrite(bytes.data(), 1, got, out.get()) != got)
            return fail(partial);
        if (got < bytes.size()) {
            if (std::ferror(in.get()))
                return fail(path);
            break;
        }
    }
    if (std::fflush(out.get()) != 0 || ::fsync(::fileno(out.get())) != 0)
        return fail(partial);
    out.reset();
    if (std::rename(partial.c_str(), path.c_str()) != 0)
        return fail(path);
    return true;
}

}  // namespace korvida
