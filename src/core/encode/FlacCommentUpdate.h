#pragma once

#include <string>

#include "core/audio/ReplayGainFields.h"

namespace korvida {

// Sets the fields in the Vorbis comment block of the closed FLAC file at `path` (a file
// without one gets one), each in place of the comments of its key, through libFLAC's
// metadata chain: the padding the encoder left takes the growth, so the audio stays
// where it is. The file is changed where it lies; callers that must not leave a
// half-written file work on a copy. False, with *errorText set, when the file is no FLAC
// file or cannot be written.
bool UpdateFlacComments(const std::string& path, const TagFields& fields,
                        std::string* errorText = nullptr);

}  // namespace korvida
