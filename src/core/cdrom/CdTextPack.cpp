#include "core/cdrom/CdTextPack.h"

namespace korvida {

std::uint16_t CdTextPackCrc(const std::uint8_t* pack) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < kCdTextPackSize - 2; ++i) {
        crc = static_cast<std::uint16_t>(crc ^ (pack[i] << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return static_cast<std::uint16_t>(~crc);
}

bool CdTextPackIntact(const std::uint8_t* pack) {
    const std::uint16_t stored = static_cast<std::uint16_t>((pack[16] << 8) | pack[17]);
    return stored == CdTextPackCrc(pack);
}

}  // namespace korvida
