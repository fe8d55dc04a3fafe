#include "gui/app/FileCommands.h"

#include <QDir>
#include <QFileDialog>

#include "core/disc/CdPlayerIni.h"
#include "core/platform/RunDetached.h"
#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/widgets/FileNameBytes.h"
#include "gui/widgets/FitFileDialog.h"

namespace korvida::gui {

FileCommands::FileCommands(DiscController& discs, UserNotifier& notifier, QWidget* window)
    : QObject(window), discs_(discs), notifier_(notifier), window_(window) {}

void FileCommands::OpenImage() {
    QFileDialog dialog(window_, tr("打开 CD 映像"), QDir::homePath(), tr("CD 映像 (*.cue)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    FitFileDialog(dialog);
    // As a URL: a desktop's own dialog hands over the name's bytes in it.
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedUrls().isEmpty())
        discs_.openImage(FileNameBytes(dialog.selectedUrls().first()));
}

void FileCommands::ImportCdPlayerIni() {
    if (!discs_.hasDrive() || discs_.busy())
        return;
    korvida::ImportCdPlayerIni(*discs_.driver(), discs_.disc(), discs_.rows(), notifier_);
    discs_.model()->rowsChanged();
}

void FileCommands::ExportCdPlayerIni() {
    if (discs_.hasDrive() && !discs_.busy())
        korvida::ExportCdPlayerIni(*discs_.driver(), discs_.disc(), discs_.rows(), notifier_);
}

void FileCommands::OpenOutputFolder() {
    OpenWithDesktop(NormalizedFolder(TheSettings().OutputFolder));
}

}  // namespace korvida::gui
