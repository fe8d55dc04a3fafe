#pragma once

#include <QWidget>
#include <vector>

#include "core/musicbrainz/MusicBrainzRelease.h"

class QLabel;
class QTreeWidget;

namespace korvida::gui {

class ChoiceList;

// The releases a lookup found, one row each in reply order: title first, then artist,
// date and country by name, and the columns that tell these releases apart (format,
// track count, barcode, the disc of a set); the first row is selected. A double click
// applies that row. A release that cannot be applied is greyed; the reason (or what of a
// release cannot be applied) is in its rows' tool tips and shows under the list while it
// is selected.
class ReleaseListPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReleaseListPage(QWidget* parent = nullptr);

    void SetReleases(const std::vector<MusicBrainzRelease>& releases);
    // The selected row, -1 when none is.
    int selectedRow() const;
    QTreeWidget* list() const;

  signals:
    void rowActivated(int row);

  private:
    ChoiceList* list_;
    QLabel* note_;
};

}  // namespace korvida::gui
