#include "core/encode/CoverPicture.h"

#include <cstring>

#include "core/platform/ByteOrder.h"

namespace korvida {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Samples per pixel of a PNG colour type (indexed counts its one index).
std::uint32_t PngChannels(std::uint8_t colourType) {
    switch (colourType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

// Walks the JPEG's markers to the first start-of-frame, which holds the size.
void JpegSize(const std::vector<std::uint8_t>& b, CoverPicture& picture) {
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF)
            return;
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const std::size_t length = Be16(&b[at + 2]);
        // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 10 > b.size())
                return;
            picture.depth = std::uint32_t{b[at + 4]} * b[at + 9];  // precision × components
            picture.height = Be16(&b[at + 5]);
            picture.width = Be16(&b[at + 7]);
            return;
        }
        if (marker == 0xDA || length < 2)  // the scan: no frame header before it
            return;
        at += 2 + length;
    }
}

void PutBlockNumber(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[4];
    PutBe32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

std::optional<CoverPicture> DescribeCover(const std::vector<std::uint8_t>& bytes) {
    CoverPicture picture;
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        picture.mimeType = "image/jpeg";
        JpegSize(bytes, picture);
        return picture;
    }
    if (bytes.size() >= sizeof kPngSignature &&
        std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0) {
        picture.mimeType = "image/png";
        // The IHDR chunk comes first: width, height, bit depth, colour type.
        if (bytes.size() >= 26 && std::memcmp(&bytes[12], "IHDR", 4) == 0) {
            picture.width = Be32(&bytes[16]);
            picture.height = Be32(&bytes[20]);
            picture.depth = bytes[24] * PngChannels(bytes[25]);
        }
        return picture;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> FlacPictureBlock(const std::vector<std::uint8_t>& bytes,
                                           const CoverPicture& picture) {
    std::vector<std::uint8_t> out;
    out.reserve(32 + picture.mimeType.size() + bytes.size());
    PutBlockNumber(out, 3);  // front cover
    PutBlockNumber(out, static_cast<std::uint32_t>(picture.mimeType.size()));
    out.insert(out.end(), picture.mimeType.begin(), picture.mimeType.end());
    PutBlockNumber(out, 0);  // description length
    PutBlockNumber(out, picture.width);
    PutBlockNumber(out, picture.height);
    PutBlockNumber(out, picture.depth);
    PutBlockNumber(out, 0);  // colours: not an indexed picture's count
    PutBlockNumber(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

}  // namespace korvida
