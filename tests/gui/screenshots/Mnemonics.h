#pragma once

#include <QStringList>

class QWidget;

namespace korvida::gui {

// The accelerator letters that two visible controls of `window`, or two entries of one
// of its menus, share: the letter and the two texts, one line each.
QStringList MnemonicClashes(QWidget* window);

}  // namespace korvida::gui
