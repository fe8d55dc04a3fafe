#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace korvida::gui {

// "%d.%d%%" of a per-mille value: 453 → "45.3%".
QString PercentText(std::uint32_t perMille);
// "%02d:%02d" of milliseconds: minutes (not limited to two digits) and seconds.
QString ClockText(std::uint32_t ms);
// The estimated total time of a job p per mille done after e milliseconds: e × 1000 / p
// in unsigned 32-bit arithmetic, as the progress window has always computed it (an
// elapsed time past 71 minutes wraps). None for p = 0: the estimate keeps its old text.
std::optional<std::uint32_t> EstimatedTotalMs(std::uint32_t perMille, std::uint32_t elapsedMs);

}  // namespace korvida::gui
