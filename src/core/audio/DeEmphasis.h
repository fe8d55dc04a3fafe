#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvida {

// Undoes a CD's pre-emphasis (the 50/15 µs curve of IEC 60908) on 44100 Hz 16-bit
// stereo: a shelving biquad fitted to the analogue curve (within 0.05 dB from 20 Hz to
// 20 kHz), one state per channel, carried from one call to the next.
class DeEmphasis {
  public:
    // `frames` stereo sample pairs, interleaved, filtered in place (rounded and clipped).
    void Process(std::int16_t* samples, std::size_t frames);

  private:
    double x1_[2] = {}, x2_[2] = {}, y1_[2] = {}, y2_[2] = {};
};

// De-emphasises the samples of a WAV file as extraction writes it (44-byte header, CD
// audio), through a file beside it that then takes its name: the file is never seen
// half filtered. False with `error` naming the file when it cannot be read or written.
bool DeEmphasiseWavFile(const std::string& path, std::string& error);

}  // namespace korvida
