#pragma once

#include <QStringList>

class QWidget;

namespace korvida::gui {

// The texts of `window` and every widget, menu and action in it that still hold a CJK
// character once every string of `data` is taken out of them: what an English window
// would show in Chinese. Window titles, labels, buttons, group boxes, tabs, tool tips,
// list headers, the items of lists and a progress bar's text count; what a user typed
// does not, and the data in lists is what `data` takes out. A text holding one of `excused` does
// not count either.
QStringList ForeignTexts(QWidget* window, const QStringList& data, const QStringList& excused);

}  // namespace korvida::gui
