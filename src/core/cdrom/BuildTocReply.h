#pragma once

#include <cstdint>
#include <vector>

#include "core/cdrom/DiscImage.h"

namespace korvida {

// The reply of READ TOC format 0 for an image: header and descriptors from `startTrack`
// (0 or 1: all; 0xAA: lead-out only), addresses as LBA or MSF. Empty when startTrack is
// past the last track.
std::vector<std::uint8_t> BuildTocReply(const DiscImage& image, bool msf, std::uint8_t startTrack);

// 4 address bytes of a TOC or sub-channel entry: the LBA, or reserved/M/S/F of LBA + 150.
void PutTocAddress(std::uint8_t* p, std::uint32_t lba, bool msf);

}  // namespace korvida
