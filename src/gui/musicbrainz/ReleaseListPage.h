#pragma once

#include <QWidget>
#include <vector>

#include "core/musicbrainz/MusicBrainzRelease.h"

class QTreeWidget;

namespace korvida::gui {

// The releases a lookup found, one row each in reply order: artist, title, date, country
// and the disc's medium ("1/2") of a release of several; the first row is selected. A
// double click applies that row.
class ReleaseListPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReleaseListPage(QWidget* parent = nullptr);

    void SetReleases(const std::vector<MusicBrainzRelease>& releases);
    // The selected row, -1 when none is.
    int selectedRow() const;
    QTreeWidget* list() const { return list_; }

  signals:
    void rowActivated(int row);

  private:
    QTreeWidget* list_;
};

}  // namespace korvida::gui
