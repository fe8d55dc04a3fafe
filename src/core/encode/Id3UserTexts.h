#pragma once

#include <string>

#include "core/audio/ReplayGainFields.h"

namespace korvida {

// Sets one TXXX frame per field (its key the description) in the ID3v2 tag of the closed
// MP3 file at `path`, in place of a frame of the same description; a file without a tag
// gets one. The rest of the tag and the audio stay as they are. Updates the file where
// it lies (the tag's padding usually takes the frames); callers that must not leave a
// half-written file work on a copy. False when the tag could not be written or the audio
// did not come through whole.
bool WriteId3UserTexts(const std::string& path, const TagFields& fields);

}  // namespace korvida
