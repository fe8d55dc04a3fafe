#pragma once

#include <string>

namespace korvida {

struct RipJob;

// The rip log's word on the disc beyond its TOC: whether gaps were detected and where
// they lie, the hidden track, and the tracks with pre-emphasis (and whether they were
// de-emphasised). Ends with a blank line.
std::string DiscLayoutLogText(const RipJob& job);

}  // namespace korvida
