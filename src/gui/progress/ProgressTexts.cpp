#include "gui/progress/ProgressTexts.h"

namespace korvida::gui {

QString PercentText(std::uint32_t perMille) {
    return QStringLiteral("%1.%2%").arg(perMille / 10).arg(perMille % 10);
}

QString ClockText(std::uint32_t ms) {
    return QStringLiteral("%1:%2")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg((ms / 1000) % 60, 2, 10, QLatin1Char('0'));
}

std::optional<std::uint32_t> EstimatedTotalMs(std::uint32_t perMille, std::uint32_t elapsedMs) {
    if (perMille == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(elapsedMs * 1000u) / perMille;
}

}  // namespace korvida::gui
