#include "gui/app/ApplicationSetup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/platform/ProgramFolder.h"
#include "core/settings/Settings.h"
#include "core/settings/StartLanguage.h"

namespace korvida::gui {

void SetUpApplication(QTranslator& qtTexts, QTranslator& ourTexts) {
    QApplication::setApplicationName(QStringLiteral("Korvida CD Ripper"));
    // The desktop matches windows to the installed desktop entry by this name (the
    // Wayland app id); the icon comes from the theme, where the install puts it.
    QApplication::setDesktopFileName(QStringLiteral("org.korvida.Korvida"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.korvida.Korvida")));
    // After the application object: it sets the locale from the environment.
    const Language language = StartLanguage(SettingsPath());
    UseLanguage(language, LocaleFolder());
    if (language == Language::kEnglish) {
        // Qt's own texts are English already.
        QApplication::installTranslator(&ourTexts);
        return;
    }
    // Our texts are Chinese whatever the system's language; Qt's own (the file dialog's
    // buttons, the message boxes') follow them when the translation is installed.
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
}

}  // namespace korvida::gui
