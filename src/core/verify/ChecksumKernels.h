#pragma once

#include <cstddef>
#include <cstdint>

namespace korvida {

// The per-sample work of the track checksums, with AVX2 where the processor has it, so
// that they keep pace with a rip from an image in the page cache.

// The largest magnitude of `count` little-endian 16-bit samples (0 … 32768), and whether
// any of them is 0.
struct SampleScan {
    int peak = 0;
    bool hasZero = false;
};
SampleScan ScanSamples(const std::uint8_t* pcm, std::size_t count);

// The index of the first 16-bit sample that is 0 among `count` samples; `count` when
// there is none.
std::size_t FindZeroSample(const std::uint8_t* pcm, std::size_t count);

// Adds Σ s[k] × (firstMultiplier + k) over `count` stereo samples (little-endian 32-bit
// words) to the AccurateRip sums: the low halves of the 64-bit products to `lo`, the high
// halves to `hi`, both modulo 2^32. The multipliers must stay below 2^32.
void AddAccurateRipProducts(const std::uint8_t* pcm, std::size_t count,
                            std::uint32_t firstMultiplier, std::uint32_t& lo, std::uint32_t& hi);

}  // namespace korvida
