#include "gui/settings/OptionsPrompter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace korvida::gui {

void DialogPrompter::warn(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("Korvida CD Ripper"), text);
}

std::optional<QString> DialogPrompter::chooseFolder(QWidget* parent, const QString& title,
                                                    const QString& start) {
    const QString folder = QFileDialog::getExistingDirectory(parent, title, start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QString> DialogPrompter::chooseProgram(QWidget* parent, const QString& start) {
    QFileDialog dialog(parent, QString(), start);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QObject::tr("MP3 播放器程序 (*)"));
    // Programs carry no extension here: the list shows what may be run.
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QColor> DialogPrompter::chooseColor(QWidget* parent, const QColor& initial,
                                                  std::array<QColor, 16>& custom) {
    // The chooser's custom colours are process-wide in Qt: lend it the page's table and
    // take back what the user made of it.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, custom[static_cast<std::size_t>(i)]);
    const QColor chosen = QColorDialog::getColor(initial, parent, QObject::tr("颜色"));
    for (int i = 0; i < 16; ++i)
        custom[static_cast<std::size_t>(i)] = QColorDialog::customColor(i);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

}  // namespace korvida::gui
