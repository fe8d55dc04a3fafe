#include "gui/app/OptionsApplication.h"

#include <QWidget>
#include <utility>

#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/app/FindOffsetDialog.h"
#include "gui/settings/OptionsSheet.h"

namespace korvida::gui {

OptionsApplication::OptionsApplication(DiscController& discs, std::function<bool()> jobRunning,
                                       QWidget* window)
    : QObject(window), discs_(discs), jobRunning_(std::move(jobRunning)), window_(window) {}

void OptionsApplication::Open(QWidget* over) {
    if (discs_.busy() || jobRunning_())
        return;
    OptionsContext context;
    if (discs_.hasDrive())
        context.driveNames = DriveNamesOf(discs_.driver());
    if (discs_.hasDrive() && discs_.disc().trackCount > 0) {
        context.detectOffset = [this](QWidget* over) -> std::optional<int> {
            FindOffsetDialog dialog(discs_.disc(), discs_.driver(), TheSettings(), over);
            if (dialog.exec() != QDialog::Accepted)
                return std::nullopt;
            return dialog.chosenOffset();
        };
    }
    OptionsOutcome outcome;
    if (!RunOptionsSheet(over ? over : window_, TheSettings(), std::move(context), &outcome))
        return;
    const Settings& s = TheSettings();
    discs_.applyDriveOptions(s);
    if (outcome.transportChanged)
        discs_.recreateDriver();
    else if (outcome.driveChanged)
        discs_.changeDrive(outcome.drive);
    if (autoplaySaved_)
        autoplay_.Apply(s.DisableAutoPlay);
    if (outcome.colorsChanged)
        emit colorsChanged();
}

void OptionsApplication::TakeOverAutoplay() {
    if (autoplaySaved_)
        return;
    autoplay_.SaveAndDisable(TheSettings().DisableAutoPlay);
    autoplaySaved_ = true;
}

void OptionsApplication::RestoreAutoplay() {
    if (autoplaySaved_)
        autoplay_.Restore();
    autoplaySaved_ = false;
}

}  // namespace korvida::gui
