#include <QApplication>
#include <QTranslator>
#include <cstdio>

#include "gui/app/ApplicationSetup.h"
#include "gui/app/CatalogueTranslator.h"
#include "gui/app/CommandLineImages.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageBoxNotifier.h"
#include "gui/app/TerminationSignals.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KORVIDA_VERSION));
    QTranslator qtTexts;
    korvida::gui::CatalogueTranslator ourTexts;
    korvida::gui::SetUpApplication(qtTexts, ourTexts);
    korvida::gui::MessageBoxNotifier notifier;
    // Asked to end by a signal, the program ends as its Exit command makes it end: the loop
    // ends, and the window's destruction cancels a running job, waits for its clean-up and
    // stores the disc's edits and the settings. Lives past the window, so that signals
    // during that wait change nothing.
    korvida::gui::TerminationSignals termination;
    QObject::connect(&termination, &korvida::gui::TerminationSignals::requested, &app,
                     [](int signal) { QApplication::exit(128 + signal); });
    // --image FILE adds a CD image to the drive table and makes it the current drive. Qt
    // has taken its own options out already; any other option is refused before the
    // window touches the app home.
    korvida::DriveSources drives = korvida::gui::CommandLineImages(argc, argv);
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--image") && i + 1 < args.size()) {
            ++i;
        } else if (args[i].startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "korvida: unknown option %s\n", qPrintable(args[i]));
            return 2;
        }
    }
    int result;
    {
        korvida::gui::MainWindow window(notifier, std::move(drives));
        notifier.setParent(&window);
        window.show();
        result = QApplication::exec();
    }
    return result;
}
