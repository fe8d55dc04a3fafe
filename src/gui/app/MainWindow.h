#pragma once

#include <QLabel>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "core/settings/AutoplayVerb.h"

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

// The main window: the track list, the status line and the time display. It loads the
// settings when it is made and saves them, with its geometry, when it goes away.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(UserNotifier& notifier, QWidget* parent = nullptr);
    ~MainWindow() override;

    QTreeWidget* trackList() const { return trackList_; }
    QLabel* statusLine() const { return statusLine_; }
    QLabel* timeDisplay() const { return timeDisplay_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LoadSettingsAtStartUp();
    void ApplyColors();
    void SaveSettingsAtExit();

    UserNotifier& notifier_;
    QTreeWidget* trackList_;
    QLabel* statusLine_;
    QLabel* timeDisplay_;
    AutoplayVerb autoplay_;
};

}  // namespace korvida::gui
