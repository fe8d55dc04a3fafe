#include "core/cdrom/CdTextPack.h"

#include "core/platform/ByteOrder.h"

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

std::optional<std::vector<std::uint8_t>> CdTextFilePacks(std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t size = bytes.size();
    std::size_t at = 0;
    // Dump tools end the packs with a zero byte, with or without a header before them.
    if ((size % kCdTextPackSize == 1 || size % kCdTextPackSize == 5) && data[size - 1] == 0)
        --size;
    if (size % kCdTextPackSize != 0) {
        // A header counts itself less its length field.
        if (size % kCdTextPackSize != 4)
            return std::nullopt;
        const std::size_t announced = std::size_t{Be16(data)} + 2;
        if (announced != size && announced != size + 1)
            return std::nullopt;
        at = 4;
    }
    const std::size_t count = (size - at) / kCdTextPackSize;
    if (count == 0 || count > kMaxCdTextPacks)
        return std::nullopt;
    bool anyIntact = false;
    for (std::size_t k = 0; k < count && !anyIntact; ++k)
        anyIntact = CdTextPackIntact(data + at + k * kCdTextPackSize);
    if (!anyIntact)
        return std::nullopt;
    return std::vector<std::uint8_t>(data + at, data + size);
}

}  // namespace korvida
