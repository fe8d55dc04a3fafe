#pragma once

#include <QString>

class QWidget;

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

// The help page shipped with the program: <program folder>/../share/korvida/help/
// index.html, or index.en.html in English, the same relative place in an install and in
// a build tree. Empty when it is not there.
QString HelpPagePath();

// The Help menu: the page in the desktop's browser (or why not), and the about box.
void ShowHelp(UserNotifier& notifier);
void ShowAbout(QWidget* parent);

}  // namespace korvida::gui
