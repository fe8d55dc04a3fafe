#pragma once

#include <QDialog>

#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "gui/info/DescriptionFields.h"

class QLineEdit;
class QPushButton;
class QWidget;

namespace korvida::gui {

// Edits the description of the track shown by the highlighted row. Previous and Next
// store the track on screen, move the highlight one row and load the track of that row
// (found through its item data, whatever its position). OK stores and closes; Cancel
// drops only the track on screen. The caller refreshes the list afterwards.
class TrackInfoDialog : public QDialog {
    Q_OBJECT

  public:
    // The list must have a highlighted row.
    TrackInfoDialog(TrackList& rows, DiscInfo& disc, QWidget* parent = nullptr);

    void accept() override;
    bool folded() const;
    // The track index on screen.
    int trackIndex() const { return index_; }

  signals:
    // Previous or Next stored the track on screen and moved the rows' highlight.
    void highlightMoved();

  private:
    void LoadHighlighted();
    void Store();
    void Step(int delta);
    void SetFolded(bool folded);

    TrackList& rows_;
    DiscInfo& disc_;
    int index_ = 0;
    DescriptionFields fields_;
    QLineEdit* title_;
    QLineEdit* isrc_;
    QWidget* more_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* fold_;
};

}  // namespace korvida::gui
