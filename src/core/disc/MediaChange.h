#pragma once

#include <array>
#include <cstdint>

#include "core/disc/DiscInfo.h"
#include "core/platform/MediaMonitor.h"

namespace korvida {

class CSCSIDriver;

enum class MediaChangeAction {
    kNothing,
    // Store the listed disc in the local disc database, then load the disc again.
    kStoreAndReload,
};

// What a disc change means for the disc on the screen. An event of a device that is not
// a CD-ROM drive means nothing. Otherwise the current drive's TOC (LBA form) is read,
// whichever drive the event named, and compared in all 804 bytes with `rawToc`, the TOC
// the list was loaded from: equal means nothing (a disc in another drive, or the same
// disc again); different means the list no longer shows the current drive's disc.
//
// An arrival stores before it reloads, as a removal does: a disc swapped faster than the
// drive's medium polling reaches us as one change with a disc present, and the list
// still holds the edits to the disc that left.
MediaChangeAction DecideMediaChange(const MediaChangeEvent& event, CSCSIDriver& driver,
                                    const std::array<std::uint8_t, DiscInfo::kRawTocSize>& rawToc);

}  // namespace korvida
