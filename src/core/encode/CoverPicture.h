#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvida {

// What the tags say about a cover image beside its bytes. Sizes are 0 when the image
// does not tell them where they are looked for.
struct CoverPicture {
    std::string mimeType;  // "image/jpeg" or "image/png"
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;  // bits per pixel
};

// Describes a cover by its own bytes, whatever a server or a file name claimed: JPEG or
// PNG. nullopt for anything else (or nothing), which is then not embedded: a player
// shown a picture of the wrong type shows nothing or garbage.
std::optional<CoverPicture> DescribeCover(const std::vector<std::uint8_t>& bytes);

// The FLAC picture block that Ogg's METADATA_BLOCK_PICTURE comment holds (before its
// Base64): picture type 3 (front cover), the MIME type, an empty description, width,
// height, depth, 0 colours, the data; numbers big-endian.
std::vector<std::uint8_t> FlacPictureBlock(const std::vector<std::uint8_t>& bytes,
                                           const CoverPicture& picture);

}  // namespace korvida
