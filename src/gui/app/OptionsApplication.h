#pragma once

#include <QObject>
#include <functional>

#include "core/settings/AutoplayVerb.h"

class QWidget;

namespace korvida::gui {

class DiscController;

// The options sheet and the steps after its OK: the driver reads with the new drive
// options, a new transport or drive reloads the disc, the desktop's autoplay verb follows
// its setting and the window is told when the colours changed. The Edit menu, the toolbar
// and the batch file dialogs' "选项..." button all open the sheet here, so those steps are
// the same whichever opened it.
class OptionsApplication : public QObject {
    Q_OBJECT

  public:
    // `jobRunning` says whether a job owns the drive; the sheet waits for it as it waits
    // for a disc load (both select drives with the live settings).
    OptionsApplication(DiscController& discs, std::function<bool()> jobRunning, QWidget* window);

    // Over `over` (a file dialog) or over the window.
    void Open(QWidget* over = nullptr);

    // The desktop's verb is taken over once a drive is found: saved, then set from
    // DisableAutoPlay. Without a drive it stays the user's.
    void TakeOverAutoplay();
    // Gives the verb back as it was before the take-over (exit).
    void RestoreAutoplay();

  signals:
    void colorsChanged();

  private:
    DiscController& discs_;
    std::function<bool()> jobRunning_;
    QWidget* window_;
    AutoplayVerb autoplay_;
    bool autoplaySaved_ = false;
};

}  // namespace korvida::gui
