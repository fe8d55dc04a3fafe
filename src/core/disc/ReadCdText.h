#pragma once

#include <cstdint>

#include "core/disc/CdText.h"

namespace korvida {

class CSCSIDriver;

// READ TOC format 5 through the driver's current drive, parsed for `language`. Empty when
// the drive has no CD-Text to give (or refuses the command).
CdText ReadCdText(CSCSIDriver& driver, std::uint8_t language);

}  // namespace korvida
