#include "core/verify/Crc32.h"

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace korvida {
namespace {

std::uint32_t ZlibCrc32(std::uint32_t crc, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const auto take = static_cast<uInt>(size < (1u << 30) ? size : (1u << 30));
        crc = static_cast<std::uint32_t>(crc32(crc, bytes, take));
        bytes += take;
        size -= take;
    }
    return crc;
}

#if defined(__x86_64__)

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// x × x^a + x × x^b + next, the 128 bits of x moved on by the distance the constants give.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// Folds 16-byte blocks of the reflected CRC-32 (polynomial 0xEDB88320) with PCLMULQDQ:
// four blocks at a time by 512 bits (constants x^(512+32) and x^(512-32) mod P, bit-
// reflected), then one by 128 bits (x^(128+32), x^(128-32)). What is left is one 16-byte
// block with the same remainder as everything folded into it, which zlib finishes.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t FoldCrc32(std::uint32_t crc,
                                                                 const std::uint8_t* bytes,
                                                                 std::size_t size) {
    const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    // zlib's figure is the complement of the register's; the register starts as the
    // complement of `crc` and enters through the first four bytes.
    __m128i x1 = _mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(~crc)));
    __m128i x2 = Load(bytes + 16);
    __m128i x3 = Load(bytes + 32);
    __m128i x4 = Load(bytes + 48);
    bytes += 64;
    size -= 64;
    while (size >= 64) {
        x1 = Fold(x1, k1k2, Load(bytes));
        x2 = Fold(x2, k1k2, Load(bytes + 16));
        x3 = Fold(x3, k1k2, Load(bytes + 32));
        x4 = Fold(x4, k1k2, Load(bytes + 48));
        bytes += 64;
        size -= 64;
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    while (size >= 16) {
        x1 = Fold(x1, k3k4, Load(bytes));
        bytes += 16;
        size -= 16;
    }
    alignas(16) std::uint8_t last[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(last), x1);
    // The register is now zero and `last` the message: zlib with a register of zero.
    const std::uint32_t folded = ZlibCrc32(0xFFFFFFFFu, last, sizeof last);
    return ZlibCrc32(folded, bytes, size);
}

bool HaveCarryLessMultiply() {
    static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return have;
}

#endif

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* bytes, std::size_t size) {
#if defined(__x86_64__)
    if (size >= 64 && HaveCarryLessMultiply())
        return FoldCrc32(crc, bytes, size);
#endif
    return ZlibCrc32(crc, bytes, size);
}

}  // namespace korvida
