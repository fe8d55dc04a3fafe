#pragma once

#include <cstddef>
#include <cstdint>

namespace korvida {

// zlib's crc32(crc, bytes, size), the same figures, computed with carry-less multiplies
// where the processor has them (several times faster, so that checksums keep pace with
// a rip from an image in the page cache); zlib's own code otherwise.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* bytes, std::size_t size);

}  // namespace korvida
