#pragma once

#include "core/disc/CdText.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"

namespace korvida {

// Names an unknown disc from its CD-Text, as a freedb read names a disc: the album's
// title and performer (entry 0) become the album record's Title, Album and Artist and
// each track's Album and Artist; a track's own title, performer and songwriter then take
// its Title, Artist and Composer. What the CD-Text leaves empty keeps its current value.
// False when the CD-Text names nothing.
bool ApplyCdText(const CdText& text, const DiscToc& toc, DiscInfo& disc);

}  // namespace korvida
