#pragma once

#include <initializer_list>

class QDialog;
class QPushButton;
class QWidget;

namespace korvida::gui {

// The wizards' frame: the page area on the left, the buttons stacked on the right.
void LayOutWizard(QDialog* dialog, QWidget* pages, std::initializer_list<QPushButton*> buttons);

// The wait cursor over the dialog while a cancelled transfer winds down.
void ShowBusy(QWidget* dialog, bool busy);

}  // namespace korvida::gui
