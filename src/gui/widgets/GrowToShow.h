#pragma once

class QWidget;

namespace korvida::gui {

// Grows `window` so that `part`, shown in `area` of it, has the size it asks for (its
// size hint): a page filled after the window opened (a list of files, of releases) is
// seen whole without the user dragging the window larger. Never past most of the
// screen, never smaller than it is.
void GrowToShow(QWidget* window, const QWidget* area, const QWidget* part);

}  // namespace korvida::gui
