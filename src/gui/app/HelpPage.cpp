#include "gui/app/HelpPage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "core/platform/UserNotifier.h"
#include "core/text/Translate.h"

namespace korvida::gui {

QString HelpPagePath() {
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString chinese = QStringLiteral("../share/korvida/help/index.html");
    const QString english = QStringLiteral("../share/korvida/help/index.en.html");
    // The Chinese page stands in for a translation that is not installed.
    for (const QString& name :
         {CurrentLanguage() == Language::kEnglish ? english : chinese, chinese}) {
        const QString page = bin.absoluteFilePath(name);
        if (QFileInfo::exists(page))
            return QDir::cleanPath(page);
    }
    return QString();
}

void ShowHelp(UserNotifier& notifier) {
    const QString page = HelpPagePath();
    if (page.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        notifier.ShowMessage(
            QCoreApplication::translate("HelpPage", "不能打开帮助页面。").toStdString());
}

void ShowAbout(QWidget* parent) {
    QMessageBox::about(
        parent, QCoreApplication::translate("HelpPage", "关于 Korvida CD Ripper"),
        QCoreApplication::translate(
            "HelpPage",
            "<h3>Korvida CD Ripper %1</h3><p>把音乐 CD 抓取为 WAV、MP3 或 Ogg Vorbis 文件。</p>"
            "<p>本程序是自由软件，按 GNU 通用公共许可证第 2 版或更高版本发布。</p>")
            .arg(QApplication::applicationVersion()));
}

}  // namespace korvida::gui
