#include "gui/freedb/WizardFrame.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvida::gui {

void LayOutWizard(QDialog* dialog, QWidget* pages, std::initializer_list<QPushButton*> buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch();
    auto* layout = new QHBoxLayout(dialog);
    layout->addWidget(pages, 1);
    layout->addLayout(column);
}

void ShowBusy(QWidget* dialog, bool busy) {
    if (busy)
        dialog->setCursor(Qt::WaitCursor);
    else
        dialog->unsetCursor();
}

}  // namespace korvida::gui
