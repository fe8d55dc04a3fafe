#pragma once

#include <QWidget>
#include <vector>

#include "core/freedb/FreedbRequest.h"

class QTreeWidget;

namespace korvida::gui {

class ChoiceList;

// The query's matches, one row each in reply order, numbered from 1, with artist, album
// and category; the first row is selected. A double click asks for the read of that row.
class MatchListPage : public QWidget {
    Q_OBJECT

  public:
    explicit MatchListPage(QWidget* parent = nullptr);

    void SetMatches(const std::vector<FreedbMatch>& matches);
    // The selected row, -1 when none is.
    int selectedRow() const;
    QTreeWidget* list() const;

  signals:
    void rowActivated(int row);

  private:
    ChoiceList* list_;
};

}  // namespace korvida::gui
