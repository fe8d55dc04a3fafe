#include <QApplication>
#include <QIcon>

#include "gui/app/MainWindow.h"
#include "gui/app/MessageBoxNotifier.h"
#include "gui/settings/OptionsPreview.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvida CD Ripper"));
    // The desktop matches windows to the installed desktop entry by this name (the
    // Wayland app id); the icon comes from the theme, where the install puts it.
    QApplication::setDesktopFileName(QStringLiteral("org.korvida.Korvida"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.korvida.Korvida")));
    if (const int code = korvida::gui::RunOptionsSheetPreview(QApplication::arguments()); code >= 0)
        return code;
    korvida::gui::MessageBoxNotifier notifier;
    // --image FILE adds a CD image to the drive table and makes it the current drive.
    korvida::DriveSources drives;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QStringLiteral("--image"))
            drives.images.push_back(args[++i].toStdString());
    }
    if (!drives.images.empty())
        drives.selectImage = drives.images.back();
    int result;
    {
        korvida::gui::MainWindow window(notifier, std::move(drives));
        notifier.setParent(&window);
        window.show();
        result = QApplication::exec();
    }
    return result;
}
