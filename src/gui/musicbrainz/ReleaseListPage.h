#pragma once

#include <QWidget>
#include <vector>

#include "core/musicbrainz/MusicBrainzRelease.h"

class QLabel;
class QTreeWidget;

namespace korvida::gui {

// The releases a lookup found, one row each in reply order: artist, title, date, country
// and the disc's medium ("1/2") of a release of several; the first row is selected. A
// double click applies that row. A release that cannot be applied is greyed; the reason
// (or what of a release cannot be applied) is its rows' tool tip and shows under the list
// while it is selected.
class ReleaseListPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReleaseListPage(QWidget* parent = nullptr);

    void SetReleases(const std::vector<MusicBrainzRelease>& releases);
    // The selected row, -1 when none is.
    int selectedRow() const;
    QTreeWidget* list() const { return list_; }
    QLabel* noteLabel() const { return note_; }

  signals:
    void rowActivated(int row);

  private:
    QTreeWidget* list_;
    QLabel* note_;
};

}  // namespace korvida::gui
