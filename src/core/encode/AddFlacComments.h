#pragma once

#include <string>
#include <vector>

namespace korvida {

// Sets Vorbis comments ("KEY=value") in a finished FLAC file, for what is known only after
// it was written (an album's loudness, once its last track is done): each takes the place
// of the comments of its key, or comes last; the others stay. The file is copied beside
// itself, changed there (within its padding when the comments fit) and moved back over
// itself, so it is never seen half-changed. False, with *errorText set, when that failed;
// the file is then as it was.
bool AddFlacComments(const std::string& path, const std::vector<std::string>& comments,
                     std::string* errorText);

}  // namespace korvida
