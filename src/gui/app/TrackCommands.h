#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "core/disc/TrackList.h"
#include "core/disc/TrackListText.h"
#include "core/platform/UserNotifier.h"
#include "gui/app/DiscController.h"

namespace korvida::gui {

// The Edit menu's commands on the track list: ticks, title case, row moves, the clipboard
// text and the track and disc information dialogs.
class TrackCommands : public QObject {
    Q_OBJECT

  public:
    // `showHighlight` makes the list's selection follow the rows' highlight again.
    TrackCommands(DiscController& discs, UserNotifier& notifier,
                  std::function<void()> showHighlight, QWidget* window);

    void CheckAll(bool checked);
    void InvertChecks();
    void ChangeCase(TextCase change);
    void MoveRow(TrackList::Move move);
    void CopyToClipboard();
    void TrackInformation();
    void DiscInformation();

  private:
    // Rows changed in place: the list repaints them.
    void RowsChanged();

    DiscController& discs_;
    UserNotifier& notifier_;
    std::function<void()> showHighlight_;
    QWidget* window_;
};

}  // namespace korvida::gui
