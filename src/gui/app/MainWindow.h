#pragma once

#include <QLabel>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/settings/AutoplayVerb.h"

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

// The main window: the track list, the status line and the time display. It loads the
// settings, selects the drive and loads the disc when it is made; it stores the disc's
// description and saves the settings, with its geometry, when it goes away.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // `drives` adds CD images (--image) and test drives to the drive table.
    explicit MainWindow(UserNotifier& notifier, DriveSources drives = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    QTreeWidget* trackList() const { return trackList_; }
    QLabel* statusLine() const { return statusLine_; }
    QLabel* timeDisplay() const { return timeDisplay_; }
    const DiscInfo& disc() const { return disc_; }

    // Rebuilds the disc model and the list from the drive.
    bool LoadDiscIntoList();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LoadSettingsAtStartUp();
    void ApplyColors();
    void SaveSettingsAtExit();
    void ShowRows();

    UserNotifier& notifier_;
    QTreeWidget* trackList_;
    QLabel* statusLine_;
    QLabel* timeDisplay_;
    AutoplayVerb autoplay_;
    std::unique_ptr<CSCSIDriver> driver_;
    DiscInfo disc_;
    TrackList rows_;
};

}  // namespace korvida::gui
