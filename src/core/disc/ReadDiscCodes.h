#pragma once

#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"

namespace korvida {

class CSCSIDriver;

// Reads the disc's catalogue number and the ISRC of each audio track of `toc` from the
// Q sub-channel (READ SUB-CHANNEL formats 2 and 3) into disc.catalog and disc.isrc. A
// code the drive does not give, or gives malformed (zeros, spaces), stays empty.
void ReadDiscCodes(CSCSIDriver& driver, const DiscToc& toc, DiscInfo& disc);

}  // namespace korvida
