#pragma once

#include <QObject>
#include <QWidget>

#include "core/platform/UserNotifier.h"
#include "gui/app/DiscController.h"

namespace korvida::gui {

// The File menu's commands on the disc and the desktop: a CD image opened, the titles
// imported from or exported to a CD player's list, the output folder shown.
class FileCommands : public QObject {
    Q_OBJECT

  public:
    FileCommands(DiscController& discs, UserNotifier& notifier, QWidget* window);

    void OpenImage();
    void ImportCdPlayerIni();
    void ExportCdPlayerIni();
    void OpenOutputFolder();

  private:
    DiscController& discs_;
    UserNotifier& notifier_;
    QWidget* window_;
};

}  // namespace korvida::gui
