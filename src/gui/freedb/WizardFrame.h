#pragma once

#include <initializer_list>

class QDialog;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace korvida::gui {

// The wizards' frame: the page area ("pages") on the left with `pages` in it, in order (a
// page's index is its place in the list), and the buttons stacked on the right.
void LayOutWizard(QDialog* dialog, QStackedWidget* area, std::initializer_list<QWidget*> pages,
                  std::initializer_list<QPushButton*> buttons);

// The wait cursor over the dialog while a cancelled transfer winds down.
void ShowBusy(QWidget* dialog, bool busy);

}  // namespace korvida::gui
