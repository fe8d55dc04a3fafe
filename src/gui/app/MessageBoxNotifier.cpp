#include "gui/app/MessageBoxNotifier.h"

#include <QMessageBox>

namespace korvida::gui {

void MessageBoxNotifier::ShowMessage(const std::string& text, Icon icon) {
    const QString title = QStringLiteral("Korvida CD Ripper");
    const QString message = QString::fromStdString(text);
    switch (icon) {
        case Icon::kInformation:
            QMessageBox::information(parent_, title, message);
            break;
        case Icon::kWarning:
            QMessageBox::warning(parent_, title, message);
            break;
        case Icon::kStop:
            QMessageBox::critical(parent_, title, message);
            break;
    }
}

}  // namespace korvida::gui
