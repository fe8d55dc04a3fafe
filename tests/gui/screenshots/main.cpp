// The screenshot tour: the real main window on the demo disc, walked through its windows
// by ScreenshotTour, a picture of each saved into DIR (scripts/screenshots runs it under
// Xvfb). It rips, stores titles and changes settings as a user would, so it runs only in
// an app home made for it.
//   korvida-screenshots [--lang zh|en] [--image FILE ...] DIR
// with KORVIDA_HOME set to a fresh folder. --lang stores that language in the home's
// settings before the window starts, as a user who chose it would have.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "core/platform/AppHome.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"
#include "gui/app/ApplicationSetup.h"
#include "gui/app/CatalogueTranslator.h"
#include "gui/app/MainWindow.h"
#include "gui/app/MessageBoxNotifier.h"
#include "gui/screenshots/ScreenshotTour.h"

namespace {

// Empty when $KORVIDA_HOME is fresh: an existing, empty folder inside the system's
// temporary folder. Anything else may be someone's data.
QString FreshHomeProblem() {
    const QString home = qEnvironmentVariable("KORVIDA_HOME");
    if (home.isEmpty())
        return QStringLiteral("KORVIDA_HOME is not set");
    const QFileInfo info(home);
    if (!info.isDir() || info.isSymLink())
        return home + QStringLiteral(" is not a folder");
    const QString real = info.canonicalFilePath();
    const QString temp =
        QFileInfo(QString::fromStdString(korvida::SystemTempFolder())).canonicalFilePath();
    if (temp.isEmpty() || !real.startsWith(temp + QLatin1Char('/')))
        return home + QStringLiteral(" is not inside the temporary folder ") + temp;
    if (!QDir(real).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return home + QStringLiteral(" is not empty");
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing of the desktop's changes (autoplay settings), nothing sounds.
    ::setenv("KORVIDA_GSETTINGS", "/bin/false", 1);
    ::setenv("KORVIDA_ALSA_DEVICE", "null", 1);
    QApplication app(argc, argv);
    if (const QString problem = FreshHomeProblem(); !problem.isEmpty()) {
        std::fprintf(stderr,
                     "korvida-screenshots: %s; it runs only in a fresh app home (an empty "
                     "folder in the temporary folder), as scripts/screenshots makes one\n",
                     qPrintable(problem));
        return 2;
    }
    korvida::DriveSources drives;
    QString folder;
    QString language;
    bool usage = false;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--image") && i + 1 < args.size())
            drives.images.push_back(args[++i].toStdString());
        else if (args[i] == QStringLiteral("--lang") && i + 1 < args.size())
            language = args[++i];
        else if (folder.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            folder = args[i];
        else
            usage = true;
    }
    if (usage || folder.isEmpty() ||
        (!language.isEmpty() && !korvida::ParseLanguage(language.toStdString()))) {
        std::fprintf(stderr, "usage: korvida-screenshots [--lang zh|en] [--image FILE ...] DIR\n");
        return 2;
    }
    if (!language.isEmpty()) {
        korvida::Settings settings = korvida::Settings::Defaults();
        settings.Language = language.toStdString();
        std::string error;
        if (!korvida::SaveSettings(settings, korvida::SettingsPath(), &error)) {
            std::fprintf(stderr, "korvida-screenshots: %s\n", error.c_str());
            return 1;
        }
    }
    QTranslator qtTexts;
    korvida::gui::CatalogueTranslator ourTexts;
    korvida::gui::SetUpApplication(qtTexts, ourTexts);
    if (!drives.images.empty())
        drives.selectImage = drives.images.back();

    korvida::gui::MessageBoxNotifier notifier;
    int result;
    {
        korvida::gui::MainWindow window(notifier, std::move(drives));
        notifier.setParent(&window);
        window.show();
        korvida::gui::ScreenshotTour tour(window, folder);
        result = QApplication::exec();
        if (!tour.ok())
            result = 1;
    }
    return result;
}
