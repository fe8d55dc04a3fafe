#include "core/verify/ChecksumKernels.h"

#include <algorithm>
#include <cstdlib>

#include "core/platform/ByteOrder.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace korvida {
namespace {

SampleScan ScanPlain(const std::uint8_t* pcm, std::size_t count) {
    SampleScan scan;
    for (std::size_t i = 0; i < count; ++i) {
        const auto sample = static_cast<std::int16_t>(Le16(pcm + 2 * i));
        scan.peak = std::max(scan.peak, std::abs(int{sample}));
        scan.hasZero = scan.hasZero || sample == 0;
    }
    return scan;
}

std::size_t FindZeroPlain(const std::uint8_t* pcm, std::size_t count) {
    std::size_t i = 0;
    while (i < count && (pcm[2 * i] | pcm[2 * i + 1]) != 0)
        ++i;
    return i;
}

void AddPlain(const std::uint8_t* pcm, std::size_t count, std::uint32_t m, std::uint32_t& lo,
              std::uint32_t& hi) {
    for (std::size_t k = 0; k < count; ++k, ++m) {
        const std::uint64_t p = std::uint64_t{Le32(pcm + 4 * k)} * m;
        lo += static_cast<std::uint32_t>(p);
        hi += static_cast<std::uint32_t>(p >> 32);
    }
}

#if defined(__x86_64__)

bool HaveAvx2() {
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}

__attribute__((target("avx2"))) SampleScan ScanAvx2(const std::uint8_t* pcm, std::size_t count) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i peak = zero;
    __m256i zeros = zero;
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pcm + 2 * i));
        // |-32768| stays 0x8000, which as unsigned is the 32768 it stands for.
        peak = _mm256_max_epu16(peak, _mm256_abs_epi16(v));
        zeros = _mm256_or_si256(zeros, _mm256_cmpeq_epi16(v, zero));
    }
    alignas(32) std::uint16_t lanes[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), peak);
    SampleScan scan = ScanPlain(pcm + 2 * i, count - i);
    scan.peak = std::max<int>(scan.peak, *std::max_element(lanes, lanes + 16));
    scan.hasZero = scan.hasZero || !_mm256_testz_si256(zeros, zeros);
    return scan;
}

__attribute__((target("avx2"))) std::size_t FindZeroAvx2(const std::uint8_t* pcm,
                                                         std::size_t count) {
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pcm + 2 * i));
        // Two mask bits per sample: the first set bit's pair is the sample.
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(v, zero)));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
    }
    return i + FindZeroPlain(pcm + 2 * i, count - i);
}

__attribute__((target("avx2"))) std::uint32_t SumLanes(__m256i v) {
    alignas(32) std::uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
    return static_cast<std::uint32_t>(lanes[0] + lanes[1] + lanes[2] + lanes[3]);
}

// Eight samples a step: the even and the odd 32-bit lanes multiplied into 64-bit products
// apart. The 64-bit lane sums wrap, but only their low 32 bits are wanted.
__attribute__((target("avx2"))) void AddAvx2(const std::uint8_t* pcm, std::size_t count,
                                             std::uint32_t m, std::uint32_t& lo,
                                             std::uint32_t& hi) {
    const __m256i low = _mm256_set1_epi64x(0xFFFFFFFF);
    const __m256i step = _mm256_set1_epi32(8);
    __m256i multipliers = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(m)),
                                           _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    __m256i sumLo = _mm256_setzero_si256();
    __m256i sumHi = _mm256_setzero_si256();
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pcm + 4 * k));
        const __m256i even = _mm256_mul_epu32(s, multipliers);
        const __m256i odd =
            _mm256_mul_epu32(_mm256_srli_epi64(s, 32), _mm256_srli_epi64(multipliers, 32));
        sumLo = _mm256_add_epi64(
            sumLo, _mm256_add_epi64(_mm256_and_si256(even, low), _mm256_and_si256(odd, low)));
        sumHi = _mm256_add_epi64(
            sumHi, _mm256_add_epi64(_mm256_srli_epi64(even, 32), _mm256_srli_epi64(odd, 32)));
        multipliers = _mm256_add_epi32(multipliers, step);
    }
    lo += SumLanes(sumLo);
    hi += SumLanes(sumHi);
    AddPlain(pcm + 4 * k, count - k, m + static_cast<std::uint32_t>(k), lo, hi);
}

#endif

}  // namespace

SampleScan ScanSamples(const std::uint8_t* pcm, std::size_t count) {
#if defined(__x86_64__)
    if (HaveAvx2())
        return ScanAvx2(pcm, count);
#endif
    return ScanPlain(pcm, count);
}

std::size_t FindZeroSample(const std::uint8_t* pcm, std::size_t count) {
#if defined(__x86_64__)
    if (HaveAvx2())
        return FindZeroAvx2(pcm, count);
#endif
    return FindZeroPlain(pcm, count);
}

void AddAccurateRipProducts(const std::uint8_t* pcm, std::size_t count,
                            std::uint32_t firstMultiplier, std::uint32_t& lo, std::uint32_t& hi) {
#if defined(__x86_64__)
    if (HaveAvx2())
        return AddAvx2(pcm, count, firstMultiplier, lo, hi);
#endif
    AddPlain(pcm, count, firstMultiplier, lo, hi);
}

}  // namespace korvida
