#include "gui/widgets/FileNameBytes.h"

#include <QFile>
#include <QUrl>

namespace korvida::gui {

std::string FileNameBytes(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // Fully encoded, the path still holds every byte that is not UTF-8 as %XX.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return bytes.toStdString();
}

std::string FileNameBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString FileNameText(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

}  // namespace korvida::gui
