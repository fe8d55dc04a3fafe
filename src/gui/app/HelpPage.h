#pragma once

#include <QString>

namespace korvida::gui {

// The help page shipped with the program: <program folder>/../share/korvida/help/
// index.html, the same relative place in an install and in a build tree. Empty when it
// is not there.
QString HelpPagePath();

}  // namespace korvida::gui
