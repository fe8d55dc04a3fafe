#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "gui/app/CommandLineImages.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageBoxNotifier.h"
#include "gui/app/ScreenshotTour.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvida CD Ripper"));
    QApplication::setApplicationVersion(QStringLiteral(KORVIDA_VERSION));
    // The desktop matches windows to the installed desktop entry by this name (the
    // Wayland app id); the icon comes from the theme, where the install puts it.
    QApplication::setDesktopFileName(QStringLiteral("org.korvida.Korvida"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.korvida.Korvida")));
    // Our texts are Chinese whatever the system's language; Qt's own (the file dialog's
    // buttons, the message boxes') follow them when the translation is installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    korvida::gui::MessageBoxNotifier notifier;
    // --image FILE adds a CD image to the drive table and makes it the current drive.
    // --screenshots DIR photographs each window into DIR and quits (scripts/screenshots).
    korvida::DriveSources drives = korvida::gui::CommandLineImages(argc, argv);
    QString screenshots;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QStringLiteral("--image"))
            ++i;
        else if (args[i] == QStringLiteral("--screenshots"))
            screenshots = args[++i];
    }
    int result;
    {
        korvida::gui::MainWindow window(notifier, std::move(drives));
        notifier.setParent(&window);
        window.show();
        std::unique_ptr<korvida::gui::ScreenshotTour> tour;
        if (!screenshots.isEmpty())
            tour = std::make_unique<korvida::gui::ScreenshotTour>(window, screenshots);
        result = QApplication::exec();
        if (tour && !tour->ok())
            result = 1;
    }
    return result;
}
