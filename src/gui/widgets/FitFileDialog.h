#pragma once

class QFileDialog;

namespace korvida::gui {

// Widens Qt's own file dialog until its detail columns (name, size, type, date) show
// whole in the dialog's font; a dialog that is wider already stays as it is.
void FitFileDialog(QFileDialog& dialog);

}  // namespace korvida::gui
