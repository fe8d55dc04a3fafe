#pragma once

#include <string>

namespace korvida {

// The demo disc: three tracks of synthesised, music-like audio (21, 16 and 27 seconds;
// track 3 has a one-second INDEX 00 pregap of silence), the same bytes on every run.
// Writes "demo.cue" and "demo.bin" into `folder` (created if needed) and returns the
// CUE sheet's path; empty on failure, with *errorText naming the file and the cause.
std::string MakeDemoDisc(const std::string& folder, std::string* errorText = nullptr);

// The demo disc in `folder`, made once: written as MakeDemoDisc writes it unless both of
// its files are there (they are written whole or not at all). The CUE sheet's path, or
// empty with *errorText as MakeDemoDisc's.
std::string PrepareDemoDisc(const std::string& folder, std::string* errorText = nullptr);

}  // namespace korvida
