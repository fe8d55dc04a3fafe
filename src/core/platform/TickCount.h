#pragma once

#include <cstdint>

namespace korvida {

// Milliseconds of a monotonic clock, wrapping at 2^32 like the tick counts that elapsed
// times in progress messages are computed from. Subtract two ticks as uint32_t.
std::uint32_t TickCount();

}  // namespace korvida
