#pragma once

class QTranslator;

namespace korvida::gui {

// What the program sets on its application object before the first window: its name,
// the desktop entry's name and icon, the language of its texts (`[Misc] Language` of the
// settings file), and Qt's own texts in that language when their translation is
// installed. The translators must outlive the application's windows. Shared with the
// screenshot tour, so that its pictures show the program as it is.
void SetUpApplication(QTranslator& qtTexts, QTranslator& ourTexts);

}  // namespace korvida::gui
