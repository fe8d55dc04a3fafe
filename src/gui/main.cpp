#include <QApplication>

#include "gui/app/MainWindow.h"
#include "gui/app/MessageBoxNotifier.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvida CD Ripper"));
    korvida::gui::MessageBoxNotifier notifier;
    int result;
    {
        korvida::gui::MainWindow window(notifier);
        notifier.setParent(&window);
        window.show();
        result = QApplication::exec();
    }
    return result;
}
