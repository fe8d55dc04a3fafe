#pragma once

class QTranslator;

namespace korvida::gui {

// What the program sets on its application object before the first window: its name,
// the desktop entry's name and icon, and Qt's own texts in Chinese when that translation
// is installed (loaded into `qtTexts`, which must outlive the application's windows).
// Shared with the screenshot tour, so that its pictures show the program as it is.
void SetUpApplication(QTranslator& qtTexts);

}  // namespace korvida::gui
