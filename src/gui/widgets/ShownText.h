#pragma once

class QLineEdit;
class QWidget;

namespace korvida::gui {

// A text to read, select and copy, never to edit (an ISRC, a barcode, an address): no
// frame, the window's colour behind it, as behind a label; it scrolls when it is long.
QLineEdit* NewShownText(QWidget* parent);

}  // namespace korvida::gui
