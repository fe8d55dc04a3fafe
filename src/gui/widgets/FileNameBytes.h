#pragma once

#include <QString>
#include <string>

class QUrl;

namespace korvida::gui {

// File names cross between Qt and the core as the bytes the file system holds. A name
// that is not valid UTF-8 (a folder named in GBK) cannot pass through a QString without
// loss, so whatever still carries the bytes is read as bytes: a URL keeps them
// percent-encoded. A QString is converted with Qt's file-name encoding, both ways.
std::string FileNameBytes(const QUrl& url);
std::string FileNameBytes(const QString& name);
// For showing a name; a name that is not UTF-8 shows replacement characters.
QString FileNameText(const std::string& bytes);

}  // namespace korvida::gui
