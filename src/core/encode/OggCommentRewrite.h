#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvida {

// Replaces the comments of the Vorbis or Opus stream in the Ogg file at `path`: `edit`
// gets them ("KEY=value", in file order) and changes them as it likes. The vendor text,
// the other header packets and the audio stay as they are; when the headers now take a
// different number of pages, the audio pages are renumbered and their checksums made
// anew. The new file is written beside the old one and renamed over it, so `path` holds
// one or the other, whole, whatever happens. False, with *errorText set, when the file is
// not a single Vorbis or Opus stream, is damaged, or cannot be written.
bool RewriteOggComments(const std::string& path,
                        const std::function<void(std::vector<std::string>&)>& edit,
                        std::string* errorText = nullptr);

}  // namespace korvida
