#include "gui/freedb/WizardFrame.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace korvida::gui {

void LayOutWizard(QDialog* dialog, QStackedWidget* area, std::initializer_list<QWidget*> pages,
                  std::initializer_list<QPushButton*> buttons) {
    area->setObjectName(QStringLiteral("pages"));
    for (QWidget* page : pages)
        area->addWidget(page);
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch();
    auto* layout = new QHBoxLayout(dialog);
    layout->addWidget(area, 1);
    layout->addLayout(column);
}

void ShowBusy(QWidget* dialog, bool busy) {
    if (busy)
        dialog->setCursor(Qt::WaitCursor);
    else
        dialog->unsetCursor();
}

}  // namespace korvida::gui
