#include "gui/app/HelpPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace korvida::gui {

QString HelpPagePath() {
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString page = bin.absoluteFilePath(QStringLiteral("../share/korvida/help/index.html"));
    return QFileInfo::exists(page) ? QDir::cleanPath(page) : QString();
}

}  // namespace korvida::gui
